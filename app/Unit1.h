#pragma once
#include <QDialog>

#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QTextEdit;
class TDialogs;
class TURL;

// The About box: product name, version, picture, web link, information text and "Ok".
// A double click on the version text is the hidden setting of the time per side.
class TForm1 : public QDialog {
  public:
    // The range a peer accepts in a time line.
    static constexpr int MinimumTimePerSide = 5, MaximumTimePerSide = 999;

    // dialogs: the modal boxes to use; null = the real ones.
    explicit TForm1(QWidget *parent = nullptr, TDialogs *dialogs = nullptr);
    ~TForm1() override;

    static QString WebAddress();

    // True while a game runs (the main window's New Game button is disabled); unset = no game.
    std::function<bool()> GameInProgress;
    // Stores the main window's TimePerSide.
    std::function<void(int)> SetTimePerSide;

    void Button1Click();
    // Asks for the minutes per side of the next game; below 5 becomes 5, above 999 becomes 999.
    void Label5DblClick(QObject *Sender);

    QLabel *ProductName;
    QLabel *Label5;
    QLabel *Image1;
    TURL *URL1;
    QTextEdit *RichEdit1;
    QPushButton *Button1;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void BuildLayout();

    std::unique_ptr<TDialogs> ownDialogs_;
    TDialogs *dialogs_;
};
