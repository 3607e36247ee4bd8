// A read-only handle on the result of a local SQL statement over the tables of one alias. The
// statement names tables as they are named in the alias's folder ("arlista", "csoport");
// named parameters (":cel") are bound before opening. Statements that would change anything
// are refused.
#pragma once

#include "store/engine/dataset.h"

#include <map>

namespace store {

class Query : public DataSet {
public:
    explicit Query(Session& session, std::string name = {});
    ~Query() override;

    void setAlias(std::string alias);
    const std::string& alias() const { return alias_; }
    void setSql(std::string sql);
    const std::string& sql() const { return sql_; }
    void setParam(const std::string& name, const Value& value);
    void clearParams() { params_.clear(); }

protected:
    std::shared_ptr<SharedTable> openStore() override;
    void closeStore() override {}

private:
    std::string alias_;
    std::string sql_;
    std::map<std::string, Value> params_; // key without the colon, lower case
};

} // namespace store
