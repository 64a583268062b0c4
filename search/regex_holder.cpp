#include "search/regex_holder.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <atomic>
#include <vector>

#include "search/member_entry_pattern.h"

namespace miyoutong {

namespace {

std::atomic<bool> g_simulateCreateFailure{false};

template <typename T, void (*Free)(T*)>
struct PcreDeleter {
    void operator()(T* p) const { Free(p); }
};

using CompileContext =
    std::unique_ptr<pcre2_compile_context,
                    PcreDeleter<pcre2_compile_context, pcre2_compile_context_free>>;
using MatchContext = std::unique_ptr<pcre2_match_context,
                                     PcreDeleter<pcre2_match_context, pcre2_match_context_free>>;
using MatchData =
    std::unique_ptr<pcre2_match_data, PcreDeleter<pcre2_match_data, pcre2_match_data_free>>;

bool IsLimitError(int rc) {
    return rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT ||
           rc == PCRE2_ERROR_HEAPLIMIT || rc == PCRE2_ERROR_JIT_STACKLIMIT;
}

}  // namespace

class RegexHolder::Compiled {
public:
    // Caseless UTF matching without Unicode properties, so `\s` keeps to the six ASCII blanks;
    // line feed as the only newline, so `.` takes \r, U+0085 and U+2028.
    static std::shared_ptr<const Compiled> Make(std::string_view pattern) {
        CompileContext context(pcre2_compile_context_create(nullptr));
        if (!context || pcre2_set_newline(context.get(), PCRE2_NEWLINE_LF) != 0) {
            return nullptr;
        }
        int error = 0;
        PCRE2_SIZE errorOffset = 0;
        pcre2_code* code =
            pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                          PCRE2_UTF | PCRE2_CASELESS, &error, &errorOffset, context.get());
        if (code == nullptr) {
            return nullptr;
        }
        // Without the JIT (an unsupported machine) the interpreter does the same work, slower.
        pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
        uint32_t captures = 0;
        pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &captures);
        return std::shared_ptr<const Compiled>(new Compiled(code, captures));
    }

    ~Compiled() { pcre2_code_free(code_); }
    Compiled(const Compiled&) = delete;
    Compiled& operator=(const Compiled&) = delete;

    MatchEnd ForEachMatch(std::string_view subject, const MatchVisitor& visit,
                          bool validUtf8) const {
        MatchData data(pcre2_match_data_create_from_pattern(code_, nullptr));
        MatchContext context(pcre2_match_context_create(nullptr));
        if (!data || !context) {
            return MatchEnd::Failed;
        }
        pcre2_set_match_limit(context.get(), kMatchLimit);

        const auto* text = reinterpret_cast<PCRE2_SPTR>(subject.data());
        std::vector<std::string_view> groups(captures_);
        PCRE2_SIZE offset = 0;
        // The subject is checked for valid UTF-8 once, if at all; checking it again at every
        // match would make a page of many entries quadratic.
        uint32_t options = validUtf8 ? PCRE2_NO_UTF_CHECK : 0;
        while (offset <= subject.size()) {
            const int rc = pcre2_match(code_, text, subject.size(), offset, options, data.get(),
                                       context.get());
            options |= PCRE2_NO_UTF_CHECK;
            if (rc == PCRE2_ERROR_NOMATCH) {
                return MatchEnd::Complete;
            }
            if (IsLimitError(rc)) {
                return MatchEnd::LimitReached;
            }
            if (rc < 0) {
                return MatchEnd::Failed;
            }
            const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
            for (uint32_t i = 0; i < captures_; ++i) {
                const PCRE2_SIZE begin = ovector[2 * (i + 1)];
                const PCRE2_SIZE end = ovector[2 * (i + 1) + 1];
                groups[i] =
                    begin == PCRE2_UNSET ? std::string_view() : subject.substr(begin, end - begin);
            }
            visit(Groups(groups));
            offset = NextStart(subject, ovector[0], ovector[1]);
        }
        return MatchEnd::Complete;
    }

private:
    Compiled(pcre2_code* code, uint32_t captures) : code_(code), captures_(captures) {}

    // After an empty match the next attempt starts one character further on.
    static PCRE2_SIZE NextStart(std::string_view subject, PCRE2_SIZE begin, PCRE2_SIZE end) {
        if (end > begin) {
            return end;
        }
        PCRE2_SIZE next = end + 1;
        while (next < subject.size() &&
               (static_cast<unsigned char>(subject[next]) & 0xC0) == 0x80) {
            ++next;
        }
        return next;
    }

    pcre2_code* code_;
    uint32_t captures_;
};

RegexHolder::RegexHolder() = default;
RegexHolder::~RegexHolder() = default;

bool RegexHolder::Create() {
    return Create(kMemberEntryPattern);
}

bool RegexHolder::Create(std::string_view utf8Pattern) {
    std::shared_ptr<const Compiled> compiled;
    if (!g_simulateCreateFailure.load()) {
        compiled = Compiled::Make(utf8Pattern);
    }
    std::lock_guard lock(mutex_);
    compiled_ = std::move(compiled);
    return compiled_ != nullptr;
}

void RegexHolder::Release() {
    std::shared_ptr<const Compiled> released;
    {
        std::lock_guard lock(mutex_);
        released.swap(compiled_);
    }
}

bool RegexHolder::Empty() const {
    return Current() == nullptr;
}

RegexHolder::MatchEnd RegexHolder::ForEachMatch(std::string_view utf8Subject,
                                                const MatchVisitor& visit, Subject subject) const {
    const std::shared_ptr<const Compiled> compiled = Current();
    if (!compiled) {
        return MatchEnd::Complete;
    }
    return compiled->ForEachMatch(utf8Subject, visit, subject == Subject::ValidUtf8);
}

void RegexHolder::SimulateCreateFailure(bool fail) {
    g_simulateCreateFailure.store(fail);
}

std::shared_ptr<const RegexHolder::Compiled> RegexHolder::Current() const {
    std::lock_guard lock(mutex_);
    return compiled_;
}

}  // namespace miyoutong
