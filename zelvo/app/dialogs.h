// Small dialogs that serve the whole program: the About box, the field
// error dialog of the set-up pages, and the splash screen shown while the
// main window opens.
#pragma once

#include <QWidget>
#include <string>

#include "framework/dialog.h"

class QLabel;

namespace zelvo {

// "About Zelvo" (resource 100).
class CAboutDlg final : public fw::Dialog {
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

// The field error dialog (resource 125, no caption): the message over two
// hint lines, and OK. A hint that is empty is not shown. F1 shows nothing.
class CFieldErrorDlg final : public fw::Dialog {
public:
    explicit CFieldErrorDlg(QWidget* parent = nullptr);
    std::string message, hint1, hint2;  // texts of 1053, 1054, 1252

    bool onInitDialog() override;
    QLabel* messageLabel() const { return labels_[0]; }
    QLabel* hintLabel(int i) const { return labels_[1 + i]; }

protected:
    void doDataExchange(fw::DataExchange& dx) override;

private:
    QLabel* labels_[3];
};

// The splash screen: a 470 by 345 picture centred on the main window's
// screen (the main window fills it). It closes after 1500 ms, or at the first
// key or mouse-button press, which is swallowed; no other event is held up.
class SplashScreen final : public QWidget {
public:
    // The program's switch (off when the program is started for embedding).
    static void EnableSplashScreen(bool enable);
    static bool enabled();
    // Shows the splash over mainFrame when enabled and none is shown.
    static void ShowSplashScreen(QWidget* mainFrame);
    static void HideSplashScreen();
    // The splash shown, null when none.
    static SplashScreen* window();
    // True (the event is swallowed) for the first key or mouse-button press
    // while a splash is shown, which closes it; false for anything else.
    static bool PreTranslateAppMessage(QEvent* event);

    // Whether the command line asks for no splash ("-Embedding",
    // "/Embedding", "-Automation", "/Automation", any case).
    static bool embeddingSwitch(int argc, char** argv);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    explicit SplashScreen(QWidget* owner);
    ~SplashScreen() override;
    void placeCentred();
};

}  // namespace zelvo
