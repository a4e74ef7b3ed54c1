#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "MessageTable.h"
#include "TempFolderEnv.h"
#include "WindowMessages.h"

namespace {

bool IsRegisteredNumber(UINT number) { return number >= 0xC000 && number <= 0xFFFF; }

// Registers `names` starting at name `first` and going round; gives the
// numbers in the order of `names`.
std::vector<UINT> RegisterAll(const std::vector<std::string>& names, size_t first) {
    std::vector<UINT> numbers(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        const size_t at = (first + i) % names.size();
        numbers[at] = RegisterWindowMessage(names[at].c_str());
    }
    return numbers;
}

// Registers `names` in `children` child processes, each starting at another
// name, racing this process's own registrations; gives this process's
// numbers first, then each child's. A child hands its numbers back in one
// write of less than PIPE_BUF bytes, so one read gets them whole.
std::vector<std::vector<UINT>> RegisterRacing(const std::vector<std::string>& names, size_t children) {
    std::vector<std::pair<pid_t, int>> started;
    for (size_t c = 1; c <= children; ++c) {
        int ends[2];
        if (pipe(ends) != 0) break;
        const pid_t pid = fork();
        if (pid == 0) {
            const std::vector<UINT> numbers = RegisterAll(names, c * 7);
            const ssize_t bytes = static_cast<ssize_t>(numbers.size() * sizeof(UINT));
            _exit(write(ends[1], numbers.data(), static_cast<size_t>(bytes)) == bytes ? 0 : 1);
        }
        close(ends[1]);
        started.emplace_back(pid, ends[0]);
    }
    std::vector<std::vector<UINT>> results = {RegisterAll(names, 0)};
    for (auto [pid, readEnd] : started) {
        std::vector<UINT> numbers(names.size(), 0);
        const ssize_t bytes = static_cast<ssize_t>(numbers.size() * sizeof(UINT));
        EXPECT_EQ(read(readEnd, numbers.data(), static_cast<size_t>(bytes)), bytes);
        close(readEnd);
        int status = 0;
        EXPECT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        results.push_back(numbers);
    }
    EXPECT_EQ(results.size(), children + 1);
    return results;
}

class WindowMessagesTest : public ::testing::Test {
protected:
    std::string TablePath() const { return m_runtime.Path() + "/varokit/messages"; }

    TempFolderEnv m_runtime{"XDG_RUNTIME_DIR", "run"};
};

TEST_F(WindowMessagesTest, ProcessesRacingAgreeOnDistinctRegisteredNumbers) {
    std::vector<std::string> names = {"VARO_ON_ADVISE_DATA", "VARO_ON_ADVISE_DBNAME", "VARO_ON_ADVISE_DBCOLOR",
                                      "VARO_ON_ADVISE_CATEGORY", "VARO_ON_ADVISE_FREE"};
    for (int i = 0; i < 25; ++i) names.push_back("Message" + std::to_string(i));
    const std::vector<std::vector<UINT>> results = RegisterRacing(names, 4);
    const std::vector<UINT>& mine = results[0];
    for (const std::vector<UINT>& theirs : results) EXPECT_EQ(theirs, mine);
    EXPECT_EQ(std::set<UINT>(mine.begin(), mine.end()).size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_TRUE(IsRegisteredNumber(mine[i])) << mine[i];
        EXPECT_EQ(RegisterWindowMessage(names[i].c_str()), mine[i]);
    }

    EXPECT_EQ(PermissionsOf(TablePath()), 0600u);
    EXPECT_EQ(PermissionsOf(m_runtime.Path() + "/varokit"), 0700u);
}

TEST_F(WindowMessagesTest, NamesIgnoreAsciiCaseButNotTrailBytes) {
    EXPECT_EQ(RegisterWindowMessage("varo_on_Advise_data"), RegisterWindowMessage("VARO_ON_ADVISE_DATA"));

    EXPECT_NE(RegisterWindowMessage("\x83\x41" /* ア */), RegisterWindowMessage("\x83\x61" /* ヂ */));
    EXPECT_EQ(RegisterWindowMessage("X\x83\x41" /* Xア */), RegisterWindowMessage("x\x83\x41" /* xア */));

    EXPECT_EQ(RegisterWindowMessage(nullptr), 0u);
    EXPECT_EQ(RegisterWindowMessage(""), 0u);
    EXPECT_TRUE(IsRegisteredNumber(RegisterWindowMessage(std::string(255, 'n').c_str())));
    EXPECT_EQ(RegisterWindowMessage(std::string(256, 'n').c_str()), 0u);
}

TEST_F(WindowMessagesTest, DamagedTailIsCutOffAndEarlierNumbersKept) {
    const UINT first = RegisterWindowMessage("First");
    const UINT second = RegisterWindowMessage("Second");
    ASSERT_EQ(second, first + 1);
    std::ofstream(TablePath(), std::ios::binary | std::ios::app) << std::string("\x02\xc0\x00\x00\xff", 5);
    EXPECT_EQ(RegisterWindowMessage("Third"), second + 1);
    EXPECT_EQ(RegisterWindowMessage("First"), first);
    EXPECT_EQ(RegisterWindowMessage("Second"), second);
    EXPECT_EQ(RegisterWindowMessage("Fourth"), second + 2);

    // A file that is not a table at all is started over.
    std::ofstream(TablePath(), std::ios::binary | std::ios::trunc) << "not a message table";
    EXPECT_EQ(RegisterWindowMessage("Fresh"), MessageTable::kFirstNumber);
}

TEST(MessageTableTest, FillsTheRangeThenRefusesAndParsesItsOwnBytes) {
    MessageTable table;
    std::string file;
    for (UINT i = 0; i <= MessageTable::kLastNumber - MessageTable::kFirstNumber; ++i) {
        std::string bytes;
        ASSERT_EQ(table.Add("N" + std::to_string(i), &bytes), MessageTable::kFirstNumber + i);
        file += bytes;
    }
    std::string bytes;
    EXPECT_EQ(table.Add("OneTooMany", &bytes), 0u);
    EXPECT_EQ(table.SoundBytes(), file.size());

    MessageTable parsed = MessageTable::Parse(file);
    EXPECT_EQ(parsed.Count(), 16384u);
    EXPECT_EQ(parsed.Find("n0"), MessageTable::kFirstNumber);
    EXPECT_EQ(parsed.Find("N16383"), MessageTable::kLastNumber);
    EXPECT_EQ(parsed.Find("N16384"), 0u);

    // Every cut of a small table keeps exactly the whole records before it.
    MessageTable small;
    std::string smallFile;
    std::vector<size_t> recordEnds;
    for (const char* name : {"A", "Bb", "Ccc"}) {
        small.Add(name, &bytes);
        smallFile += bytes;
        recordEnds.push_back(smallFile.size());
    }
    for (size_t cut = 0; cut <= smallFile.size(); ++cut) {
        const MessageTable prefix = MessageTable::Parse(smallFile.substr(0, cut));
        size_t whole = 0;
        while (whole < recordEnds.size() && recordEnds[whole] <= cut) ++whole;
        EXPECT_EQ(prefix.Count(), whole) << cut;
        EXPECT_EQ(prefix.SoundBytes(), cut < 8 ? 0 : (whole ? recordEnds[whole - 1] : 8)) << cut;
    }
    EXPECT_EQ(small.Add("a", &bytes), 0u);   // already there, in another case
    EXPECT_EQ(small.Add(std::string("a\0b", 3), &bytes), 0u);
}

}  // namespace
