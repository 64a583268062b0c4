#pragma once

// The program-wide regex object: the member-entry pattern compiled once at start-up, used by the
// parser on the search worker. May be empty (creation failed); an empty holder finds nothing.
//
// Matching works on UTF-8 with these semantics: letters match regardless of case, `\s` is one of
// space, \t, \n, \v, \f, \r (not U+3000, U+00A0 or U+0085), `.` is any character but \n (\r,
// U+0085 and U+2028 included), `\<` and `\>` are plain angle brackets.
//
// Threads: Create and Release belong to the UI thread, matching to the worker. Every match call
// has its own match data and keeps the compiled pattern alive while it runs, so concurrent
// matching, and even a Release during a match, are safe.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>

namespace miyoutong {

class RegexHolder {
public:
    // How a match run ended.
    enum class MatchEnd {
        Complete,      // every match of the subject was reported (none for an empty holder)
        LimitReached,  // matching gave up on a runaway attempt; earlier matches were reported
        Failed,        // the subject is not valid UTF-8, or the engine failed; nothing reported
    };

    // Work allowed for one match attempt before matching gives up. A real entry needs well under
    // a thousand steps; a line of a million characters in one group is beyond any real page.
    static constexpr std::uint32_t kMatchLimit = 1'000'000;

    // Capturing groups of one match, counted from 0, as views into the subject. A group that did
    // not take part in the match is empty.
    using Groups = std::span<const std::string_view>;
    using MatchVisitor = std::function<void(Groups)>;

    RegexHolder();
    ~RegexHolder();
    RegexHolder(const RegexHolder&) = delete;
    RegexHolder& operator=(const RegexHolder&) = delete;

    // Compiles the member-entry pattern. False when that fails; the holder is then empty.
    bool Create();
    // Compiles any pattern with the same options: for tests of the matching semantics, and to
    // make creation fail with an invalid pattern.
    bool Create(std::string_view utf8Pattern);
    void Release();
    bool Empty() const;

    // Whether the subject still has to be checked for valid UTF-8 before matching.
    enum class Subject {
        Unchecked,
        // Known to be valid UTF-8, as GbkToUtf8 always makes it: the check, which costs more than
        // the matching itself, is left out. Anything else given as such is undefined behaviour.
        ValidUtf8,
    };

    // Calls `visit` for every non-overlapping match, from the start of the subject to its end,
    // as soon as it is found.
    MatchEnd ForEachMatch(std::string_view utf8Subject, const MatchVisitor& visit,
                          Subject subject = Subject::Unchecked) const;

    // Makes every later Create fail until called with false: lets tests of the start-up path see
    // a regex object that cannot be created.
    static void SimulateCreateFailure(bool fail);

private:
    class Compiled;

    std::shared_ptr<const Compiled> Current() const;

    mutable std::mutex mutex_;
    std::shared_ptr<const Compiled> compiled_;
};

}  // namespace miyoutong
