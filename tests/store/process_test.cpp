// Behaviour across processes: exclusive opening, and what a killed process leaves behind.
#include "test_support.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace store;
using testsupport::StoreTest;

namespace {

// Points a handle of a child process at the test's table.
void onNaplo(Table& t, bool exclusive = false) {
    t.setAlias("diploma");
    t.setTableName("naplo.db");
    t.setExclusive(exclusive);
}

void put(int fd, int v) {
    if (write(fd, &v, sizeof v) != static_cast<ssize_t>(sizeof v)) {
        _exit(98);
    }
}

class ProcessTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        create("naplo", {{"Szel", FieldType::Int32}, {"Tpus", FieldType::Text, 30}},
               {{"Primary", {"Szel"}, true}});
    }

    // Runs `body` in a child process with its own session; returns the child's pid.
    template <class Fn> pid_t child(Fn body) {
        const pid_t pid = fork();
        if (pid == 0) {
            int code = 0;
            try {
                Session s;
                s.setAlias("diploma", dir);
                code = body(s);
            } catch (...) {
                code = 99;
            }
            _exit(code);
        }
        return pid;
    }

    static int waitFor(pid_t pid) {
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Reads the numbers a child reports until `count` arrived.
    static std::vector<int> readNumbers(int fd, size_t count) {
        std::vector<int> got;
        int v = 0;
        while (got.size() < count && read(fd, &v, sizeof v) == static_cast<ssize_t>(sizeof v)) {
            got.push_back(v);
        }
        return got;
    }
};

} // namespace

TEST_F(ProcessTest, ExclusiveOpenKeepsOtherProgramsOut) {
    int ready[2];
    int release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t pid = child([&](Session& s) {
        close(ready[0]);
        close(release[1]);
        Table t(s, "t");
        onNaplo(t, true);
        t.open();
        put(ready[1], 1);
        int c = 0;
        if (read(release[0], &c, sizeof c) < 0) { // until the parent lets go
            return 3;
        }
        return 0;
    });
    close(ready[1]);
    close(release[0]);
    ASSERT_EQ(readNumbers(ready[0], 1).size(), 1u);

    auto t = handle("naplo");
    try {
        t->open();
        ADD_FAILURE() << "opened a table another program holds exclusively";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), errc::TableBusy);
    }
    close(release[1]);
    EXPECT_EQ(waitFor(pid), 0);
    t->setExclusive(true);
    EXPECT_NO_THROW(t->open()); // free once the other program ended

    // while this process has it open, another cannot take it exclusively, but can share it
    const pid_t other = child([&](Session& s) {
        Table x(s, "x");
        onNaplo(x, true);
        try {
            x.open();
            return 1;
        } catch (const EngineError& e) {
            return e.code() == errc::TableBusy ? 0 : 2;
        }
    });
    EXPECT_EQ(waitFor(other), 0);
}

TEST_F(ProcessTest, KilledWriterLeavesEveryReturnedPost) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t pid = child([&](Session& s) -> int {
        close(fds[0]);
        Table t(s, "t");
        onNaplo(t);
        t.open();
        for (int i = 1;; ++i) {
            t.append();
            t.fieldByName("Szel").setAsInteger(i);
            t.fieldByName("Tpus").setAsString("Bukó-nyíló ablak " + std::to_string(i));
            t.post();
            put(fds[1], i); // this post has returned
        }
    });
    close(fds[1]);
    const auto reported = readNumbers(fds[0], 60);
    kill(pid, SIGKILL);
    waitFor(pid);
    close(fds[0]);
    ASSERT_EQ(reported.size(), 60u);

    auto t = handle("naplo");
    t->open();
    const int rows = t->recordCount();
    EXPECT_GE(rows, 60);
    for (int i = 1; i <= 60; ++i) {
        ASSERT_TRUE(t->findKey({Value(i)})) << i;
        EXPECT_EQ(t->fieldByName("Tpus").asString(), "Bukó-nyíló ablak " + std::to_string(i));
    }
    // and the table can be written again
    t->append();
    t->fieldByName("Szel").setAsInteger(100000);
    EXPECT_NO_THROW(t->post());
}

TEST_F(ProcessTest, KilledStretchLosesOnlyItsUncommittedPart) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t pid = child([&](Session& s) -> int {
        close(fds[0]);
        Table t(s, "t");
        onNaplo(t);
        t.open();
        for (int batch = 0;; ++batch) {
            {
                ControlsDisabled stretch(t);
                for (int k = 1; k <= 40; ++k) {
                    t.append();
                    t.fieldByName("Szel").setAsInteger(batch * 40 + k);
                    t.post();
                }
            }
            const int done = (batch + 1) * 40;
            put(fds[1], done); // committed when the stretch ended
        }
    });
    close(fds[1]);
    const auto reported = readNumbers(fds[0], 8);
    kill(pid, SIGKILL);
    waitFor(pid);
    close(fds[0]);
    ASSERT_EQ(reported.size(), 8u);

    auto t = handle("naplo");
    t->open();
    const int rows = t->recordCount();
    EXPECT_GE(rows, reported.back());
    EXPECT_EQ(rows % 40, 0) << "a stretch was left half-written";
    t->last();
    EXPECT_EQ(t->fieldByName("Szel").asInteger(), rows);
}

TEST_F(ProcessTest, RefreshShowsAnotherProgramsChanges) {
    auto t = handle("naplo");
    t->open();
    add(*t, {{"Szel", 1}});
    add(*t, {{"Szel", 2}});
    ASSERT_TRUE(t->findKey({Value(2)}));
    const pid_t pid = child([&](Session& s) {
        Table x(s, "x");
        onNaplo(x);
        x.open();
        add(x, {{"Szel", 3}});
        x.first();
        x.edit();
        x.fieldByName("Tpus").setAsString("másik program");
        x.post();
        return 0;
    });
    ASSERT_EQ(waitFor(pid), 0);
    t->refresh();
    EXPECT_EQ(t->recordCount(), 3);
    EXPECT_EQ(t->fieldByName("Szel").asInteger(), 2); // still on its record
    t->first();
    EXPECT_EQ(t->fieldByName("Tpus").asString(), "másik program");
    // a write made with the old rows in memory first takes up the other program's rows
    const pid_t other = child([&](Session& s) {
        Table x(s, "x");
        onNaplo(x);
        x.open();
        add(x, {{"Szel", 4}});
        return 0;
    });
    ASSERT_EQ(waitFor(other), 0);
    t->append();
    t->fieldByName("Szel").setAsInteger(4);
    EXPECT_THROW(t->post(), EngineError); // key violation against the row written meanwhile
}
