#include "RegAlgStep.h"

#include "common/RuleXml.h"

RegAlgStep_ RegAlgStep_::FromElement(const TiXmlElement& element)
{
    RegAlgStep_ step;
    step.rootType = rule_xml::IntAttribute(element, "RootType", -1);
    step.params = rule_xml::ListAttribute(element, "Param");
    step.procKeys = rule_xml::ListAttribute(element, "ProcKey");
    step.procValues = rule_xml::ListAttribute(element, "ProcValue");
    step.result = rule_xml::TextAttribute(element, "Result");
    step.isKeyResult = rule_xml::IntAttribute(element, "IsKeyResult", 0) == 1;
    step.resultLinkTo = rule_xml::TextAttribute(element, "ResultLinkTo");
    return step;
}

HKEY RegAlgStep_::Root() const
{
    switch (rootType) {
    case 1: return HKEY_CLASSES_ROOT;
    case 2: return HKEY_LOCAL_MACHINE;
    case 3: return HKEY_CURRENT_USER;
    default: return nullptr;
    }
}
