#pragma once

#include <QSize>

class IniDocument;
class QWidget;

// A window's placement in section "Window": "Top<n>", "Left<n>", "Width<n>",
// "Height<n>", in outer (frame) pixels, with the window's current value as the
// default of each read.
namespace window_placement {

QSize frameExtra(const QWidget* window);
int outerWidth(const QWidget* window);
int outerHeight(const QWidget* window);
// Resizes so that the frame is w × h.
void resizeOuter(QWidget* window, int w, int h);

// Reads and applies "Top<n>" then "Left<n>".
void readPosition(const IniDocument& doc, QWidget* window, int number);
// Writes "Top<n>" then "Left<n>".
void writePosition(IniDocument& doc, const QWidget* window, int number);
// Reads "Width<n>" then "Height<n>" with the current outer size as defaults.
QSize readSize(const IniDocument& doc, const QWidget* window, int number);
void writeSize(IniDocument& doc, const QWidget* window, int number);

}  // namespace window_placement
