#include "view/qt_controls.h"

#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyleHints>
#include <QTimer>
#include <cmath>
#include <iostream>

#include "host/graphics_host.h"
#include "view/qt_figure_window.h"
#include "view/qt_fonts.h"
#include "view/qt_units.h"
#include "view/qt_values.h"

namespace velmora::qtview {

namespace {

bool isOneOf(const std::string& name, std::initializer_list<const char*> names) {
    for (const char* n : names) {
        if (name == n) return true;
    }
    return false;
}

}  // namespace

ControlView::ControlView(GraphicsModel& model, Handle h, QWidget* canvas)
    : QObject(canvas), model_(model), h_(h), canvas_(canvas) {
    build();
}

// The widget is the canvas' child and goes with it.
ControlView::~ControlView() = default;

void ControlView::report(const char* what) const {
    const std::string message = std::string("Internal error in a control: ") + what;
    std::cerr << message << std::endl;
}

void ControlView::build() {
    style_ = keyword(prop(model_, h_, "Style"));
    QWidget* w = nullptr;
    if (style_ == "text") {
        auto* label = new QLabel(canvas_);
        label->setMargin(0);
        label->setTextFormat(Qt::PlainText);
        label->setAutoFillBackground(true);
        w = label;
    } else if (style_ == "edit") {
        auto* edit = new QLineEdit(canvas_);
        connect(edit, &QLineEdit::textEdited, this, [this](const QString& text) {
            if (applying_ || disposed_) return;
            edited_ = true;
            fromUser_ = true;
            try {
                model_.set(h_, {{"String", Value::text(text.toStdString())}});
            } catch (const std::exception& e) {
                report(e.what());
            }
            fromUser_ = false;
        });
        connect(edit, &QLineEdit::editingFinished, this, [this]() {
            if (!edited_ || disposed_) return;
            edited_ = false;
            runCallbackIfAny();
        });
        w = edit;
    } else if (style_ == "listbox") {
        auto* list = new QListWidget(canvas_);
        list->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
        // A line wider than the box can be scrolled to, and its tooltip
        // shows it whole. Items of their own widths, so that the scroll
        // range reaches the end of the longest.
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
        list->setTextElideMode(Qt::ElideNone);
        list->setUniformItemSizes(false);
        connect(list, &QListWidget::itemSelectionChanged, this, [this, list]() {
            if (applying_ || disposed_) return;
            std::vector<double> rows;
            for (int i = 0; i < list->count(); ++i) {
                if (list->item(i)->isSelected()) rows.push_back(i + 1);
            }
            fromUser_ = true;
            try {
                model_.set(h_, {{"Value", rows.empty() ? Value() : Value::row(rows)}});
            } catch (const std::exception& e) {
                report(e.what());
            }
            fromUser_ = false;
            runCallbackIfAny();
        });
        w = list;
    } else if (style_ == "frame") {
        auto* frame = new QFrame(canvas_);
        frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        frame->setLineWidth(1);
        frame->setAutoFillBackground(true);
        w = frame;
    } else {
        auto* button = new QPushButton(canvas_);
        button->installEventFilter(this);
        connect(button, &QPushButton::clicked, this, [this]() {
            if (disposed_) return;
            try {
                model_.pressButton(h_);
            } catch (const std::exception& e) {
                report(e.what());
            }
            // The callback may have deleted this control: touch nothing here.
        });
        w = button;
    }
    w->setProperty("velmoraHandle", h_);
    widget_ = w;
    applyAll();
}

bool ControlView::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type t = event->type();
    if (watched != widget_ || disposed_ ||
        (t != QEvent::MouseButtonPress && t != QEvent::MouseButtonDblClick)) {
        return false;
    }
    const auto* w = dynamic_cast<const FigureWindow*>(widget_->window());
    return w && w->appearedWithin(QGuiApplication::styleHints()->mouseDoubleClickInterval());
}

void ControlView::applyAll() {
    applyColors();
    applyFont();
    applyText();
    applyAlignment();
    applyEnable();
    relayout();
    applyVisible();
}

void ControlView::propertyChanged(const std::string& name) {
    if (disposed_ || !widget_ || fromUser_) return;
    if (name == "Style") {
        if (keyword(prop(model_, h_, "Style")) == style_) return;
        QWidget* old = widget_;
        old->hide();
        old->disconnect(this);
        old->deleteLater();
        build();
        return;
    }
    if (name == "String") {
        applyText();
    } else if (name == "Value") {
        applyListSelection();
    } else if (name == "ListboxTop") {
        applyListTop();
    } else if (name == "Max" || name == "Min") {
        applyText();
    } else if (name == "Position" || name == "Units") {
        relayout();
    } else if (isOneOf(name, {"BackgroundColor", "ForegroundColor"})) {
        applyColors();
    } else if (isOneOf(name, {"FontName", "FontSize", "FontWeight", "FontAngle"})) {
        applyFont();
        updateWrapping();
    } else if (name == "HorizontalAlignment") {
        applyAlignment();
    } else if (name == "Enable") {
        applyEnable();
    } else if (name == "Visible") {
        applyVisible();
    }
}

void ControlView::applyText() {
    const Value s = prop(model_, h_, "String");
    applying_ = true;
    if (auto* list = qobject_cast<QListWidget*>(widget_)) {
        const QSignalBlocker block(list);
        const double range =
            number(prop(model_, h_, "Max"), 1) - number(prop(model_, h_, "Min"), 0);
        list->setSelectionMode(range > 1 ? QAbstractItemView::ExtendedSelection
                                         : QAbstractItemView::SingleSelection);
        list->clear();
        for (const QString& line : textLines(s, true)) {
            auto* item = new QListWidgetItem(line, list);
            item->setToolTip(line);
        }
        applying_ = false;
        applyListSelection();
        applyListTop();
        return;
    }
    if (auto* edit = qobject_cast<QLineEdit*>(widget_)) {
        const QString text = textLines(s).join(' ');
        if (edit->text() != text) edit->setText(text);
        edited_ = false;
    } else if (auto* button = qobject_cast<QPushButton*>(widget_)) {
        button->setText(joinedText(s));
    } else if (auto* label = qobject_cast<QLabel*>(widget_)) {
        // Static text wraps only when it really does not fit: a label sized
        // to its measured extent must stay on one line.
        label->setText(joinedText(s));
        updateWrapping();
    }
    applying_ = false;
}

void ControlView::applyListSelection() {
    auto* list = qobject_cast<QListWidget*>(widget_);
    if (!list) return;
    applying_ = true;
    const QSignalBlocker block(list);
    list->clearSelection();
    const Value v = prop(model_, h_, "Value");
    bool first = true;
    if (v.isDouble()) {
        for (double x : v.data()) {
            if (!std::isfinite(x)) continue;
            const long row = std::lround(x) - 1;
            if (row < 0 || row >= list->count()) continue;
            QListWidgetItem* item = list->item(static_cast<int>(row));
            if (first) {
                list->setCurrentItem(item, QItemSelectionModel::NoUpdate);
                first = false;
            }
            item->setSelected(true);
            if (list->selectionMode() == QAbstractItemView::SingleSelection) break;
        }
    }
    applying_ = false;
}

void ControlView::applyListTop() {
    auto* list = qobject_cast<QListWidget*>(widget_);
    if (!list) return;
    const double top = number(prop(model_, h_, "ListboxTop"), 1);
    if (!(top >= 1) || top > list->count()) return;
    const int row = static_cast<int>(std::lround(top)) - 1;
    list->scrollToItem(list->item(row), QAbstractItemView::PositionAtTop);
    // The scroll range is known only once the list has laid itself out.
    QPointer<QListWidget> guard(list);
    QTimer::singleShot(0, list, [guard, row]() {
        if (guard && row < guard->count()) {
            guard->scrollToItem(guard->item(row), QAbstractItemView::PositionAtTop);
        }
    });
}

void ControlView::applyColors() {
    const QColor bg = toColor(prop(model_, h_, "BackgroundColor"), QColor(204, 204, 204));
    const QColor fg = toColor(prop(model_, h_, "ForegroundColor"), QColor(Qt::black));
    QPalette pal(bg);
    for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button}) {
        pal.setColor(role, bg);
    }
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        pal.setColor(QPalette::Active, role, fg);
        pal.setColor(QPalette::Inactive, role, fg);
    }
    widget_->setPalette(pal);
}

void ControlView::applyFont() {
    widget_->setFont(fontOf(model_, h_));
}

void ControlView::applyAlignment() {
    const std::string a = keyword(prop(model_, h_, "HorizontalAlignment"));
    Qt::Alignment h = Qt::AlignHCenter;
    if (a == "left") h = Qt::AlignLeft;
    if (a == "right") h = Qt::AlignRight;
    if (auto* label = qobject_cast<QLabel*>(widget_)) label->setAlignment(h | Qt::AlignTop);
    if (auto* edit = qobject_cast<QLineEdit*>(widget_)) edit->setAlignment(h | Qt::AlignVCenter);
}

void ControlView::applyEnable() {
    const std::string e = keyword(prop(model_, h_, "Enable"));
    const bool inactive = e == "inactive";
    widget_->setEnabled(e != "off");
    if (auto* edit = qobject_cast<QLineEdit*>(widget_)) {
        edit->setReadOnly(inactive);
    } else {
        widget_->setAttribute(Qt::WA_TransparentForMouseEvents, inactive);
    }
}

void ControlView::applyVisible() {
    widget_->setVisible(keyword(prop(model_, h_, "Visible")) != "off");
}

void ControlView::updateWrapping() {
    auto* label = qobject_cast<QLabel*>(widget_);
    if (!label || style_ != "text") return;
    const QFontMetrics fm(label->font());
    int widest = 0;
    for (const QString& line : label->text().split('\n')) {
        widest = std::max(widest, fm.horizontalAdvance(line));
    }
    label->setWordWrap(widest > label->width() + 2);
}

void ControlView::relayout() {
    if (!widget_ || !canvas_) return;
    const QRect r =
        rectFromPosition(prop(model_, h_, "Position"), keyword(prop(model_, h_, "Units")),
                         canvas_->size(), screenPpi(model_));
    widget_->setGeometry(r);
    updateWrapping();
}

void ControlView::runCallbackIfAny() {
    const Value cb = prop(model_, h_, "Callback");
    if (!cb.isChar() || cb.isEmpty()) return;
    try {
        model_.pressButton(h_);
    } catch (const std::exception& e) {
        report(e.what());
    }
}

void ControlView::dispose() {
    if (disposed_) return;
    disposed_ = true;
    if (widget_) {
        widget_->hide();
        widget_->deleteLater();
    }
    deleteLater();
}

}  // namespace velmora::qtview
