// The gatherers' rule files and display-text files ship with some kilobytes of XML; one larger than
// this is a damaged file, refused before it is read whole, so that a huge or sparse file at the
// name costs a reader nothing.
#pragma once

constexpr long long kLargestRuleFile = 16LL << 20;
