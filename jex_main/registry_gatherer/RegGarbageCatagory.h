// One category of the rule file ("RegGarbageCatagory") with its rules in file order.
#pragma once

#include "IHivesift.h"
#include "LoadResIdText.h"
#include "RegGarbageCollect.h"

#include <memory>
#include <vector>

class CRegGarbageCatagory : public IRegGarbageCatagory, public CLoadResIdText<CRegGarbageCatagory> {
public:
    explicit CRegGarbageCatagory(CHivesift* owner) : owner_(owner) {}

    // False when the element has neither a "Name" nor a rule naming a key or a pattern.
    bool Load(const TiXmlElement& element);

    // Runs each rule in order.
    void Collect();

    _Jex_RegGarbage_Catagory_* GetInfo() override { return &info_; }
    void SetDisplayName(const std::wstring& name) { info_.displayName = name; }

private:
    _Jex_RegGarbage_Catagory_ info_;
    CHivesift* owner_;
    std::vector<std::unique_ptr<CRegGarbageCollect>> rules_;
};
