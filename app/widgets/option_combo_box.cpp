#include "app/widgets/option_combo_box.h"

#include <QAbstractItemView>
#include <QStyledItemDelegate>

namespace miyoutong {

namespace {

// List items one pixel taller than the style makes them.
class TallerItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.rheight() += 1;
        return size;
    }
};

}  // namespace

OptionComboBox::OptionComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    setInsertPolicy(QComboBox::NoInsert);
    setFocusPolicy(Qt::StrongFocus);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    // A list that drops below the field, as a plain list view, rather than a menu over it.
    setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    setItemDelegate(new TallerItemDelegate(this));
    // Enough items to pass the height limit; showPopup() cuts the list to it.
    setMaxVisibleItems(30);
}

void OptionComboBox::showPopup() {
    QComboBox::showPopup();
    QWidget* popup = view()->window();
    if (popup == window()) {
        return;
    }
    const int maxHeight = kOpenedHeight - height();
    if (popup->height() <= maxHeight) {
        return;
    }
    QRect geometry = popup->geometry();
    const bool above = geometry.bottom() <= mapToGlobal(QPoint(0, 0)).y();
    if (above) {
        geometry.setTop(geometry.bottom() - maxHeight + 1);
    } else {
        geometry.setHeight(maxHeight);
    }
    popup->setGeometry(geometry);
    view()->scrollTo(view()->currentIndex(), QAbstractItemView::EnsureVisible);
}

}  // namespace miyoutong
