// Hands the end of the Windows session to the main window, so that the junk monitor marks it.
// The query is answered TRUE: the program never holds the session back.
#pragma once

#include <QAbstractNativeEventFilter>

class CShutDownFilter : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& eventType, void* message, long* result) override;
};
