#include "FakeCatagory.h"

CFakeCatagory::CFakeCatagory(const std::wstring& name, int kind, std::wstring icon)
{
    info.name = name;
    info.kind = kind;
    info.icon = std::move(icon);
    AddRef();  // the test owns it, never the code under test
}

CFakeCatagory* CFakeCatagory::AddChild(const std::wstring& name)
{
    children.push_back(std::make_unique<CFakeCatagory>(name, info.kind));
    children.back()->parent = this;
    return children.back().get();
}

void CFakeCatagory::SetCheck(int state)
{
    check = state;
    for (auto& child : children)
        child->SetCheck(state);
}

IDregsweepCatagory* CFakeCatagory::GetNextChild(IDregsweepCatagory* previous)
{
    for (size_t i = 0; i < children.size(); ++i)
        if (children[i].get() == previous)
            return Handed(i + 1);
    return nullptr;
}

IDregsweepCatagory* CFakeCatagory::Handed(size_t index)
{
    if (index >= children.size())
        return nullptr;
    children[index]->AddRef();
    return children[index].get();
}
