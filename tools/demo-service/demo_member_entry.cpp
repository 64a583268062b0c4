#include "tools/demo-service/demo_member_entry.h"

#include <array>
#include <cctype>

#include "tools/demo-service/demo_random.h"

namespace miyoutong::demo {

namespace {

// Spelling of a tag or attribute name: as written, all capitals, or a leading capital.
std::string Cased(std::string_view name, DemoRandom& random) {
    std::string result(name);
    const double roll = random.Unit();
    if (roll < 0.6) {
        return result;
    }
    if (roll < 0.8) {
        for (char& c : result) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        return result;
    }
    result[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(result[0])));
    return result;
}

// Exactly one white-space character.
char OneBlank(DemoRandom& random) {
    const double roll = random.Unit();
    return roll < 0.9 ? ' ' : roll < 0.95 ? '\t' : '\n';
}

// One or more white-space characters: line breaks and indentation.
std::string Blanks(DemoRandom& random) {
    static const std::array<const char*, 8> kRuns = {"\n", "\r\n",     "\n  ",       "\n\t\t",
                                                     " ",  "\r\n    ", "\n\n      ", "\t"};
    return kRuns[static_cast<std::size_t>(random.Between(0, 7))];
}

std::string EmClass(int integrity) {
    return "lv" + std::to_string(integrity / 20 + 1);
}

}  // namespace

std::string MemberEntryHtml(const DemoMember& member, std::string_view host,
                            std::uint64_t variant) {
    // Every draw is its own statement: the order in which operands of + are evaluated is not
    // fixed, and the same variant must give the same markup everywhere.
    DemoRandom random(variant);
    std::string html;
    const auto add = [&html](std::string_view piece) { html += piece; };
    const auto name = [&random](std::string_view n) { return Cased(n, random); };
    const auto blank = [&random] { return std::string(1, OneBlank(random)); };

    const std::string p = name("p");
    const std::string span = name("span");
    const std::string cls = name("class");
    const std::string em = name("em");
    static const std::array<const char*, 3> kImageClasses = {"photo", "avatar_m", "mphoto"};

    add("<" + name("img"));
    add(blank());
    add(name("src") + "=\"" + PhotoUrl(host, member) + "\"");
    add(blank());
    add(name("alt") + "=\"" + member.nickname + "\"");
    add(blank());
    add(name("class") + "=\"");
    add(kImageClasses[static_cast<std::size_t>(random.Between(0, 2))]);
    add("\"");
    add(blank());
    add("/>");
    add(Blanks(random));
    add("<" + p + ">");
    add(Blanks(random));
    add("<" + span);
    add(blank());
    add(name("id") + "=\"");
    add(random.Chance(0.2) ? "LastLoginDesc_" : "lastlogindesc_");
    add(member.id + "\">" + AgeText(member) + "，" + member.regionText);
    add("</" + span + "></" + p + ">");
    add(Blanks(random));
    add("<" + p + "><" + span);
    add(blank());
    add(cls + "='integrity");
    add(blank());
    add("clearfix'><" + span);
    add(blank());
    add(cls + "='fLefts'>诚信值：</" + span + "><" + em);
    add(blank());
    add(cls + "='" + EmClass(member.integrity) + "'><" + span + ">" + IntegrityText(member));
    add("</" + span + "></" + em + "></" + span + "></" + p + ">");
    return html;
}

}  // namespace miyoutong::demo
