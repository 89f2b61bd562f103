#include "platform/data/Dataset.h"

#include <algorithm>

namespace tessaly::data {

Dataset::Dataset(TComponent* owner) : TComponent(owner) {}

Dataset::~Dataset() = default;

void Dataset::CloseOnDestroy() {
    if (active_) Close();
}

void Dataset::CheckActive() const {
    if (!active_) {
        const std::string prefix = Name().empty() ? "" : Name() + ": ";
        throw EDatabaseError(prefix + "Impossibile eseguire questa operazione su un dataset chiuso");
    }
}

void Dataset::KeepFields(const std::vector<FieldDef>& defs) {
    const bool same = std::equal(defs.begin(), defs.end(), fields_.begin(), fields_.end(),
                                 [](const FieldDef& d, const std::unique_ptr<Field>& f) {
                                     return d.name == f->Name() && d.kind == f->Kind();
                                 });
    if (same) return;
    fields_.clear();
    for (const FieldDef& d : defs)
        fields_.push_back(std::make_unique<Field>(*this, static_cast<int>(fields_.size()), d.name, d.kind));
}

void Dataset::Open() {
    if (active_) return;
    KeepFields(OpenRecords());
    active_ = true;
    try {
        First();
    } catch (...) {
        Close();
        throw;
    }
}

void Dataset::Close() {
    if (!active_) return;
    active_ = false;
    current_ = -1;
    bof_ = eof_ = false;
    CloseRecords();
}

void Dataset::First() {
    CheckActive();
    current_ = MoveTo(0) ? 0 : -1;
    bof_ = true;
    eof_ = current_ < 0;
}

void Dataset::Next() {
    CheckActive();
    if (eof_) return;
    if (MoveTo(current_ + 1)) {
        ++current_;
        bof_ = false;
    } else {
        eof_ = true;  // the last record stays current
    }
}

void Dataset::Prior() {
    CheckActive();
    if (bof_) return;
    if (current_ > 0 && MoveTo(current_ - 1)) {
        --current_;
        eof_ = false;
    } else {
        bof_ = true;
    }
}

void Dataset::SetRecNo(int recNo) {
    CheckActive();
    if (recNo < 1 || recNo > RecordCount() || !MoveTo(recNo - 1))
        throw EDatabaseError("Numero di record non valido: " + std::to_string(recNo));
    current_ = recNo - 1;
    bof_ = eof_ = false;
}

int Dataset::RecordCount() { return active_ ? CountRecords() : 0; }

void Dataset::Refresh() {
    CheckActive();
    const int wanted = current_;
    active_ = false;
    current_ = -1;
    CloseRecords();
    KeepFields(OpenRecords());
    active_ = true;
    const int target = std::min(std::max(wanted, 0), CountRecords() - 1);
    current_ = target >= 0 && MoveTo(target) ? target : -1;
    bof_ = eof_ = current_ < 0;
}

Field* Dataset::FindField(std::string_view name) const {
    for (const auto& f : fields_)
        if (SameText(f->Name(), name)) return f.get();
    return nullptr;
}

}  // namespace tessaly::data
