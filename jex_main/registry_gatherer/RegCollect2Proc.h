// Reference-check rules ("ProcType" 2): the algorithm steps gather values into placeholders, the
// identify step tests whether the file they point at is missing, an optional COM check may clear
// the verdict, and verdicts can be remembered under a key for later items of the rule.
#pragma once

#include "RegAlgStep.h"
#include "RegCollectProc.h"
#include "RuleRegExp.h"

#include <map>
#include <optional>
#include <vector>

class TiXmlElement;

namespace RegCollectXProc {

class CRegCollect2Proc : public CRegCollectProc {
public:
    // From the children of the rule's "RegGarbageInfo" element.
    explicit CRegCollect2Proc(const TiXmlElement& ruleElement);

    bool CheckSubKey(HKEY key, const std::wstring& name, std::wstring& display) override;
    bool CheckValue(HKEY key, const std::wstring& name, std::wstring& display) override;

protected:
    // Junk when what the identify step names is missing; current is the item's key.
    virtual bool Identify(HKEY current);

    const RegAlgStep_& IdentifyStep() const { return identify_; }
    // The template with the item's name or the gathered values put in for its placeholders.
    std::wstring Substitute(const std::wstring& text) const;

private:
    bool CheckItem(HKEY current, const std::wstring& name, std::wstring& display);
    // The step's value, or nothing when the step fails.
    std::optional<std::wstring> EvaluateStep(const RegAlgStep_& step, HKEY current);
    bool IsFileMissing(const std::wstring& path) const;
    std::wstring ExpandedPath(const std::wstring& path) const;
    // The class and interface templates of the COM check; joins the thread's COM apartment.
    void ReadClassCheck(const TiXmlElement& element);
    // True when COM gives an object of the check's class, which clears the verdict.
    bool ComClassAvailable() const;

    std::vector<RegAlgStep_> steps_;
    RegAlgStep_ identify_;
    std::optional<std::wstring> displayTemplate_;
    std::optional<std::wstring> classTemplate_;
    std::wstring interfaceTemplate_;

    std::map<std::wstring, std::wstring> values_; // by "Result" name, emptied after each item
    std::wstring currentName_;
    std::map<std::wstring, bool> decisions_;      // by "ResultLinkTo", for the rule's whole life

    std::wstring systemDirectory_;
    CRuleRegExp environmentPattern_;
};

} // namespace RegCollectXProc
