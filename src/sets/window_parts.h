#pragma once

#include <QLabel>
#include <QString>

// Small pieces the windows of this folder build alike.
namespace window_parts {

// The widget with its objectName set to the control's name.
template <class W> W* named(W* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// The window's heading: larger, bold and centred.
inline QLabel* heading(const QString& text, const char* name, QWidget* parent)
{
    auto* label = named(new QLabel(text, parent), name);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 1.4);
    font.setBold(true);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace window_parts
