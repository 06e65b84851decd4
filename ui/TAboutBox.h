#pragma once
// The about box: the program's name, version and purpose. It is modeless and lives hidden for
// the whole run; its OK also hands over to the main window's log-in.
#include <QDialog>

class QPushButton;

namespace kavr::ui {

class AboutBoxClient;
class Panel;

class TAboutBox final : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutBox(AboutBoxClient &client, QWidget *parent = nullptr);

    // Shows the box: centred on the screen the first time, afterwards where it was last.
    void ShowModeless();

    void OKButtonClick();

    QPushButton *OKButton = nullptr;
    Panel *Panel2 = nullptr;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    AboutBoxClient &m_client;
    bool m_placed = false;
};

} // namespace kavr::ui
