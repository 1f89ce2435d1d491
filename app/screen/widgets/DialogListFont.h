#pragma once
// Lists whose column widths were chosen for a small dialog font.
class QWidget;

// Gives the list a 10-pixel font, in which a date or a column title shows whole in such a column.
void UseDialogListFont(QWidget& list);
