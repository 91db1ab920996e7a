// Hanvel, a plug-in of the maker that the large-file gatherer loads: the gatherer tells it once
// that it has started and again whenever files are about to be deleted. The gatherer relies on
// nothing it answers.
#pragma once

class IHanvel {
public:
    virtual int OnGathererStarted() = 0;
    virtual int OnDeletionStarting() = 0;

protected:
    ~IHanvel() = default;
};

// One object per process; it lives as long as the process.
extern "C" IHanvel* GetImp();
