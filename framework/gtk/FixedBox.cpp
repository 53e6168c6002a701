#include "framework/gtk/FixedBox.h"

#include <algorithm>

namespace {

struct TvkFixedBox {
    GtkFixed parent;
};
struct TvkFixedBoxClass {
    GtkFixedClass parentClass;
};

G_DEFINE_TYPE(TvkFixedBox, tvk_fixed_box, GTK_TYPE_FIXED)

constexpr const char* kNaturalKey = "tvk-natural-size";

void tvk_fixed_box_init(TvkFixedBox*) {}

int RequestOrZero(int value) {
    return std::max(value, 0);
}

void PreferredWidth(GtkWidget* widget, gint* minimum, gint* natural) {
    int w = -1, h = -1;
    gtk_widget_get_size_request(widget, &w, &h);
    *minimum = *natural = RequestOrZero(w);
}

void PreferredHeight(GtkWidget* widget, gint* minimum, gint* natural) {
    int w = -1, h = -1;
    gtk_widget_get_size_request(widget, &w, &h);
    *minimum = *natural = RequestOrZero(h);
}

void SizeAllocate(GtkWidget* widget, GtkAllocation* allocation) {
    gtk_widget_set_allocation(widget, allocation);
    if (gtk_widget_get_has_window(widget) && gtk_widget_get_realized(widget)) {
        gdk_window_move_resize(gtk_widget_get_window(widget), allocation->x, allocation->y,
                               allocation->width, allocation->height);
    }
    const int baseX = gtk_widget_get_has_window(widget) ? 0 : allocation->x;
    const int baseY = gtk_widget_get_has_window(widget) ? 0 : allocation->y;
    GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
    for (GList* it = children; it != nullptr; it = it->next) {
        auto* child = GTK_WIDGET(it->data);
        if (!gtk_widget_get_visible(child)) continue;
        int x = 0, y = 0;
        gtk_container_child_get(GTK_CONTAINER(widget), child, "x", &x, "y", &y, nullptr);
        // GTK wants every allocated widget measured first.
        GtkRequisition minimum, natural;
        gtk_widget_get_preferred_size(child, &minimum, &natural);
        int w = -1, h = -1;
        gtk_widget_get_size_request(child, &w, &h);
        GtkAllocation a;
        a.x = baseX + x;
        a.y = baseY + y;
        if (g_object_get_data(G_OBJECT(child), kNaturalKey) != nullptr || w < 0 || h < 0) {
            a.width = std::max(natural.width, w);
            a.height = std::max(natural.height, h);
        } else {
            // Never below the widget's minimum: GTK cannot draw a widget smaller than that.
            a.width = std::max(w, minimum.width);
            a.height = std::max(h, minimum.height);
        }
        gtk_widget_size_allocate(child, &a);
    }
    g_list_free(children);
}

void tvk_fixed_box_class_init(TvkFixedBoxClass* klass) {
    auto* widgetClass = GTK_WIDGET_CLASS(klass);
    widgetClass->get_preferred_width = PreferredWidth;
    widgetClass->get_preferred_height = PreferredHeight;
    widgetClass->size_allocate = SizeAllocate;
}

}  // namespace

namespace framework::gtk {

GtkWidget* FixedBoxNew() {
    return GTK_WIDGET(g_object_new(tvk_fixed_box_get_type(), nullptr));
}

void FixedBoxPlace(GtkWidget* box, GtkWidget* child, int x, int y) {
    if (gtk_widget_get_parent(child) == box) {
        gtk_fixed_move(GTK_FIXED(box), child, x, y);
    } else {
        gtk_fixed_put(GTK_FIXED(box), child, x, y);
    }
}

void FixedBoxSetNatural(GtkWidget* child, bool natural) {
    g_object_set_data(G_OBJECT(child), kNaturalKey, natural ? GINT_TO_POINTER(1) : nullptr);
}

}  // namespace framework::gtk
