#include <gtest/gtest.h>

#include <sys/stat.h>
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

const std::vector<std::string> kAdviseNames = {"VARO_ON_ADVISE_DATA", "VARO_ON_ADVISE_DBNAME",
                                                "VARO_ON_ADVISE_DBCOLOR", "VARO_ON_ADVISE_CATEGORY",
                                                "VARO_ON_ADVISE_FREE"};

bool IsRegisteredNumber(UINT number) { return number >= 0xC000 && number <= 0xFFFF; }

// Registers `names` in a child process, starting at name `first` and going
// round, and hands back the numbers in the order of `names`; the child
// starts at once, so it races the caller's own registrations.
struct ChildRegistration {
    pid_t pid = -1;
    int readEnd = -1;
};

ChildRegistration StartChild(const std::vector<std::string>& names, size_t first) {
    int pipeEnds[2];
    ChildRegistration child;
    if (pipe(pipeEnds) != 0) return child;
    child.pid = fork();
    if (child.pid == 0) {
        close(pipeEnds[0]);
        std::vector<UINT> numbers(names.size());
        for (size_t i = 0; i < names.size(); ++i) {
            const size_t at = (first + i) % names.size();
            numbers[at] = RegisterWindowMessage(names[at].c_str());
        }
        const size_t bytes = numbers.size() * sizeof(UINT);
        _exit(write(pipeEnds[1], numbers.data(), bytes) == static_cast<ssize_t>(bytes) ? 0 : 1);
    }
    close(pipeEnds[1]);
    child.readEnd = pipeEnds[0];
    return child;
}

std::vector<UINT> FinishChild(const ChildRegistration& child, size_t count) {
    std::vector<UINT> numbers(count, 0);
    const size_t bytes = count * sizeof(UINT);
    size_t got = 0;
    while (got < bytes) {
        const ssize_t n = read(child.readEnd, reinterpret_cast<char*>(numbers.data()) + got, bytes - got);
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    close(child.readEnd);
    int status = 0;
    EXPECT_EQ(waitpid(child.pid, &status, 0), child.pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(got, bytes);
    return numbers;
}

class WindowMessagesTest : public ::testing::Test {
protected:
    std::string TablePath() const { return m_runtime.Path() + "/varokit/messages"; }

    TempFolderEnv m_runtime{"XDG_RUNTIME_DIR", "run"};
};

TEST_F(WindowMessagesTest, ProcessesRacingAgreeOnDistinctRegisteredNumbers) {
    std::vector<std::string> names = kAdviseNames;
    for (int i = 0; i < 25; ++i) names.push_back("Message" + std::to_string(i));
    std::vector<ChildRegistration> children;
    for (size_t c = 0; c < 4; ++c) children.push_back(StartChild(names, c * 7));
    std::vector<UINT> mine;
    for (const std::string& name : names) mine.push_back(RegisterWindowMessage(name.c_str()));
    for (const ChildRegistration& child : children) {
        ASSERT_GT(child.pid, 0);
        EXPECT_EQ(FinishChild(child, names.size()), mine);
    }
    EXPECT_EQ(std::set<UINT>(mine.begin(), mine.end()).size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_TRUE(IsRegisteredNumber(mine[i])) << mine[i];
        EXPECT_EQ(RegisterWindowMessage(names[i].c_str()), mine[i]);
    }

    struct stat info;
    ASSERT_EQ(stat(TablePath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(stat((m_runtime.Path() + "/varokit").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
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
