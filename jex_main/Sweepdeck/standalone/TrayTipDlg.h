// The tray's tip in the corner of the screen: junk was found, or a fixed drive is nearly full.
// Its accept button asks for the clean-up page that fits; ticking "Don't show this message again"
// turns the tips and the background check off and ends the program.
#pragma once

#include <QDialog>

#include <cstdint>

class CCheckBox;
class CPushButton;
class IBigFileCatagory;

class CTrayTipDlg : public QDialog {
    Q_OBJECT
public:
    CTrayTipDlg(quint64 size, QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    CTrayTipDlg(IBigFileCatagory* catagory, QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());

    bool IsJunkTip() const { return junkTip; }
    CCheckBox* CheckBox() const { return checkBox; }
    CPushButton* AcceptButton() const { return acceptButton; }
    CPushButton* CancelButton() const { return cancelButton; }

    // Above the taskbar in the corner of the primary screen, not modal.
    void PlaceAndShow();
    // Stores "notshowTip"; turning the tips off also removes the autostart entry.
    static void SaveNotShow(bool notShow);

signals:
    void showCleanup(int page);
    void exitApp();

public slots:
    void onShowCleanup();
    void onCancel();
    void onStateChanged(int nState);

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, long* result) override;

private:
    CTrayTipDlg(bool junk, IBigFileCatagory* catagory);

    CCheckBox* checkBox = nullptr;
    CPushButton* acceptButton = nullptr;
    CPushButton* cancelButton = nullptr;
    bool junkTip;
};
