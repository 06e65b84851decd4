#pragma once
// The application object. Handlers catch their own errors; this is the last net for anything
// thrown from an event outside them, so that it too reaches the general error handler.
#include <QApplication>

namespace kavr {

class KavrApplication final : public QApplication
{
    Q_OBJECT
public:
    KavrApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

} // namespace kavr
