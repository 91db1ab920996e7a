// The options of a scan, made by the gatherer for its host: the record the host writes, the
// filters it implies, and the table of the current scan's found files by size.
#pragma once

#include "IBulkseek.h"
#include "SameFileTable.h"

class CBulkseekOption final : public IBulkseekOption, public _BigFile_GatherOption_ {
public:
    // Holds a reference on the gatherer that made it, given back when it goes.
    explicit CBulkseekOption(IBulkseek* owner);
    ~CBulkseekOption() override;

    _BigFile_GatherOption_* GetOption() override { return this; }
    bool SetOption(const _BigFile_GatherOption_* option) override;

    IBulkseek* Owner() const { return owner_; }

    // Whether a file is kept: large enough, and within the date limits in force.
    bool Passes(const WIN32_FIND_DATAW& data) const;

    CSameFileTable& SameFiles() { return sameFiles_; }

private:
    IBulkseek* owner_;
    CSameFileTable sameFiles_;
};
