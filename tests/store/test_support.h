// Small helpers shared by the store tests: a fresh folder per test and a session with an
// alias on it.
#pragma once

#include "store/engine/session.h"
#include "store/engine/table.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace testsupport {

inline std::filesystem::path freshDir(const std::string& tag) {
    static std::mt19937_64 rng{std::random_device{}()};
    auto dir =
        std::filesystem::temp_directory_path() / ("dirurar-" + tag + "-" + std::to_string(rng()));
    std::filesystem::create_directories(dir);
    return dir;
}

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = freshDir("store");
        session.setAlias("diploma", dir);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    // A table file in the test folder.
    void create(const std::string& name, std::vector<store::FieldDef> fields,
                std::vector<store::IndexDef> indexes = {}) {
        store::TableSchema s;
        s.tableName = name;
        s.fields = std::move(fields);
        s.indexes = std::move(indexes);
        session.createTable(dir / (name + ".db"), s);
    }

    std::unique_ptr<store::Table> handle(const std::string& table, const std::string& name = {}) {
        auto t = std::make_unique<store::Table>(session, name.empty() ? table : name);
        t->setAlias("diploma");
        t->setTableName(table + ".db");
        return t;
    }

    static void add(store::Table& t, const std::vector<std::pair<std::string, store::Value>>& v) {
        t.append();
        for (const auto& [f, x] : v) {
            t.fieldByName(f).setValue(x);
        }
        t.post();
    }

    std::filesystem::path dir;
    store::Session session;
};

} // namespace testsupport
