// One found registry entry. It holds a reference on its category, so that an item a host keeps
// never points at a released category.
#pragma once

#include "IHivesift.h"

class CRegGarbageInfo : public IRegGarbageInfo {
public:
    CRegGarbageInfo(const std::wstring& displayText, const std::wstring& keyPath, int procType, IHivesift* gatherer,
                    IRegGarbageCatagory* catagory)
        : catagory_(catagory)
    {
        info_.displayText = displayText;
        info_.keyPath = keyPath;
        info_.procType = procType;
        info_.gatherer = gatherer;
        info_.catagory = catagory;
        catagory->AddRef();
    }

    ~CRegGarbageInfo() override { catagory_->Release(); }

    _Jex_RegGarbage_Info_* GetInfo() override { return &info_; }
    IRegGarbageCatagory* GetCatagory() override { return catagory_; }

private:
    _Jex_RegGarbage_Info_ info_;
    IRegGarbageCatagory* catagory_; // the reference, apart from the record a host may write to
};
