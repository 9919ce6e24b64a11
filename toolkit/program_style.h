#pragma once

// The program's style: the one the desktop or the user chose, with the pictures of the
// tool bars' and the menu bar's overflow buttons made when first drawn.
//
// The menu bar asks for its overflow button's picture when it is made; the style reads
// it from image files, and the first image file read loads every image plugin the system
// has, which is more than the rest of the menu bar costs. The button shows only when the
// menus do not fit beside one another.
namespace toolkit::program_style {

// Makes the application's style the program's; before the first window.
void install();

}  // namespace toolkit::program_style
