// What the stand-in engines of the plug-in host tests were asked to do: one line per call, appended
// to the file that SWEEPDECK_FAKE_JOURNAL names, so that a test sees the order across modules.
#pragma once

#include "common/KyObject.h"

#include <cstdlib>
#include <fstream>
#include <string>

inline void Journal(const std::string& line)
{
    if (const char* file = std::getenv("SWEEPDECK_FAKE_JOURNAL"))
        std::ofstream(file, std::ios::app) << line << '\n';
}

// Counts its references as a plug-in object does, but never frees itself: a reference given back
// once too often is journaled instead of touching freed memory.
template <class TInterface>
class CJournaledObject : public TInterface {
public:
    explicit CJournaledObject(std::string name) : name_(std::move(name)) {}

    long AddRef() override { return ++references_; }
    long Release() override
    {
        const long left = --references_;
        if (left == 0)
            Journal(name_ + " released");
        else if (left < 0)
            Journal(name_ + " released too often");
        return left;
    }

protected:
    const std::string name_;

private:
    long references_ = 1;
};
