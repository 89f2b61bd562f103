#pragma once
// A dataset over a database: all of a table or view, or the records of an SQL query with
// parameters bound by name.
#include <memory>
#include <vector>

#include "platform/data/Database.h"
#include "platform/data/Dataset.h"

namespace tessaly::data {

class SqlDataset : public Dataset {
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
    void CloseRecords() override { cursor_.reset(); }
    bool MoveTo(int index) override { return cursor_ && cursor_->MoveTo(index); }
    int CountRecords() override { return cursor_ ? cursor_->Count() : 0; }
    Variant ValueOf(const Field& field) const override;

private:
    // Sets a parameter; false when it held that value already.
    bool ChangeParam(const AnsiString& name, const Variant& value);

    std::shared_ptr<Database> database_;
    std::unique_ptr<SqlCursor> cursor_;  // while open; freed before the database
    AnsiString tableName_;
    AnsiString sql_;
    std::vector<SqlParam> params_;
};

}  // namespace tessaly::data
