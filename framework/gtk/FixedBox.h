#pragma once
// FixedBox: a GtkFixed that places every child at its position with exactly the size
// the child requests (gtk_widget_set_size_request), as the window layouts give it (or
// the child's minimum size where that is larger, which the style sheet keeps small), and
// that asks its own parent for exactly its own size request. Children marked with
// FixedBoxSetNatural get their natural size instead (labels that grow with their text).
// A plain GtkFixed gives every child its natural size, which the theme's paddings make
// larger than the layout's pixels. Main thread only (GTK).

#include <gtk/gtk.h>

namespace framework::gtk {

// A new, floating FixedBox.
GtkWidget* FixedBoxNew();
// Places `child` at x, y; or moves it there when it is already a child.
void FixedBoxPlace(GtkWidget* box, GtkWidget* child, int x, int y);
// Whether `child` is allocated its natural size rather than its size request.
void FixedBoxSetNatural(GtkWidget* child, bool natural);

}  // namespace framework::gtk
