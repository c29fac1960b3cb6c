#pragma once

#include <QDialog>

struct AppContext;

// The log master change (being built): an empty window for now.
class Frm_LMaster : public QDialog {
public:
    explicit Frm_LMaster(AppContext&, QWidget* parent = nullptr) : QDialog(parent)
    {
        setObjectName(QStringLiteral("Frm_LMaster"));
    }
};
