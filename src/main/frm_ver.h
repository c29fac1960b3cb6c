#pragma once

#include <QDialog>

struct AppContext;
class QLabel;
class QPushButton;

// The version window: product title, version and, in Japanese, the maker's
// addresses. Opened modally from the main window's menu.
class Frm_Ver : public QDialog {
    Q_OBJECT
public:
    explicit Frm_Ver(AppContext& ctx, QWidget* parent = nullptr);

    void Cmd_Modoru_Click();

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QPushButton* Cmd_Modoru;

private:
    void Form_Load();

    AppContext& ctx_;
};
