// A junk category of the tests' own, for the rows and the tree without a gatherer: fixed name,
// kind, sizes, state and check, and children that it owns.
#pragma once

#include "IDregsweep.h"

#include <memory>
#include <vector>

class CFakeCatagory : public IDregsweepCatagory {
public:
    CFakeCatagory(const std::wstring& name, int kind, std::wstring icon = {});

    CFakeCatagory* AddChild(const std::wstring& name);

    void SetCheck(int state) override;
    void ToggleCheck() override { SetCheck(check == 2 ? 0 : 2); }
    int GetCheckState() override { return check; }
    void ResetStatistic() override {}
    uint64_t GetTotalSize() override { return size; }
    uint64_t GetCheckedSize() override { return check ? size : 0; }
    int GetState() override { return state; }
    uint64_t GetFileCount() override { return count; }
    IDregsweepCatagory* GetParent() override { return parent; }
    IDregsweepCatagory* GetFirstChild() override { return Handed(0); }
    IDregsweepCatagory* GetNextChild(IDregsweepCatagory* previous) override;
    const GarbageCatagoryInfo* GetName() override { return &info; }
    HICON GetIcon() override { return icon; }
    int IsShown() override { return 1; }

    GarbageCatagoryInfo info;
    int check = 2;
    uint64_t size = 0;
    uint64_t count = 0;
    int state = 0;
    HICON icon = nullptr;  // not owned
    CFakeCatagory* parent = nullptr;
    // Raw pointers: every child lives until the test's root is destroyed (never through Release).
    std::vector<std::unique_ptr<CFakeCatagory>> children;

private:
    IDregsweepCatagory* Handed(size_t index);
};
