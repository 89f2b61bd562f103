#pragma once
// A dataset over a database: all of a table or view, or the records of an SQL query with
// parameters bound by name.
#include <memory>
#include <vector>

#include "platform/data/CursorDataset.h"
#include "platform/data/Database.h"

namespace tessaly::data {

class SqlDataset : public CursorDataset {
public:
    SqlDataset(std::shared_ptr<Database> database, TComponent* owner);
    ~SqlDataset() override;

    Database& GetDatabase() const { return *database_; }
    // What Open reads: a table or view by name, or a query; each replaces the other.
    void SetTableName(AnsiString name);
    void SetSql(AnsiString sql);
    const AnsiString& TableName() const { return tableName_; }
    const AnsiString& Sql() const { return sql_; }
    // The value of the query parameter ":name" (the colon may be given); kept for every Open.
    void SetParam(AnsiString name, const Variant& value);
    // The query's parameters named after fields of `master` take those fields' current values; when
    // one of them changed, the records are read again (an open dataset goes to its first record).
    // A detail query ("... WHERE ordine = :id") follows the master record this way.
    void BindMasterFields(const Dataset& master);

protected:
    std::vector<FieldDef> OpenRecords() override;

private:
    // Sets a parameter; false when it held that value already.
    bool ChangeParam(const AnsiString& name, const Variant& value);

    std::shared_ptr<Database> database_;
    AnsiString tableName_;
    AnsiString sql_;
    std::vector<SqlParam> params_;
};

}  // namespace tessaly::data
