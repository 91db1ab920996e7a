// What a rule-file element shares with its display text: the "ResID" it names in the text table,
// and taking its display name from there.
#pragma once

#include "platform/Text.h"

#include <tinyxml.h>

#include <string>

template <class T>
class CLoadResIdText {
public:
    virtual ~CLoadResIdText() = default;

    // Reads the element's "ResID", when it has one.
    virtual void LoadResId(const TiXmlElement& element)
    {
        if (const char* resId = element.Attribute("ResID"))
            resId_ = resId;
    }

    // texts is the table's "RegGarbage" element; its child named exactly by the ResID, when it
    // has text, gives the display name.
    virtual void ApplyResIdText(const TiXmlElement& texts)
    {
        if (resId_.empty())
            return;
        const TiXmlElement* text = texts.FirstChildElement(resId_.c_str());
        if (text && text->GetText())
            static_cast<T*>(this)->SetDisplayName(platform::FromUtf8(text->GetText()));
    }

private:
    std::string resId_;
};
