// The pages of the tool frames that the main program builds itself: the repair pages (page types
// 3, 4, 5) and the community pages (7 log-in, 9 letter). The clean-up pages (10, 11) come from the
// clean-up library instead.
#pragma once

class QWidget;

// The page of the type with the frame as parent; null for a type this program has no page for.
QWidget* CreateToolPage(int pageType, QWidget* frame);
