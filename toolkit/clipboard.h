#pragma once

#include <QString>

// The clipboard's text. Line breaks are CR LF on our side.
namespace toolkit::clipboard {

bool hasText();
QString text();
void setText(const QString& text);
void clear();

}  // namespace toolkit::clipboard
