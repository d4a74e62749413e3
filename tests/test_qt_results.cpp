// An Option 2 analysis on real Qt widgets, from the welcome window through
// the scale factors to a spectral acceleration plot saved as a picture.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/callback_table.h"
#include "app/functions.h"
#include "app/global_state.h"
#include "app/program.h"
#include "host/qt_export.h"
#include "test_qt_support.h"

namespace velmora::qttest {
namespace {

const char* const kOption2Name =
    "VELMORA: OPTION 2 - A SET OF EARTHQUAKES AND A SINGLE DAMPING RATIO";

class QtResultsTest : public QtProgramTest {
  protected:
    Handle windowNamed(const std::string& name) {
        settle();
        for (Handle f : model().figuresInCreationOrder()) {
            if (model().get(f, "Name").toText() == name) return f;
        }
        return 0;
    }

    std::vector<Handle> childrenOf(Handle parent, ObjectType type) {
        std::vector<Handle> out;
        for (Handle c : model().object(parent).children) {
            if (model().object(c).type == type) out.push_back(c);
        }
        return out;
    }

    std::vector<Handle> controlsOfStyle(Handle fig, const std::string& style) {
        std::vector<Handle> out;
        for (Handle c : childrenOf(fig, ObjectType::Uicontrol)) {
            const Value s = model().get(c, "Style");
            if (s.isChar() && s.toText() == style) out.push_back(c);
        }
        return out;
    }

    template <typename W>
    W* widgetOf(Handle fig, Handle control) {
        auto* w = window(fig);
        return w ? qobject_cast<W*>(w->controlWidget(control)) : nullptr;
    }

    QPushButton* button(Handle fig, const std::string& caption) {
        for (Handle c : controlsOfStyle(fig, "pushbutton")) {
            if (model().get(c, "String").toText() == caption) return widgetOf<QPushButton>(fig, c);
        }
        return nullptr;
    }

    // A press and release of the left button at `at`, as the mouse gives.
    static void mouseClick(QWidget* target, QPoint at,
                           Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const QPointF local(at);
        const QPointF global(target->mapToGlobal(at));
        QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                          modifiers);
        QApplication::sendEvent(target, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                            modifiers);
        QApplication::sendEvent(target, &release);
    }

    void clickButton(QPushButton* b) {
        ASSERT_NE(b, nullptr);
        mouseClick(b, b->rect().center());
        settle();
    }

    // Control-click adds a line to the list's selection.
    static void clickRow(QListWidget* list, int row, bool add) {
        QListWidgetItem* item = list->item(row);
        list->scrollToItem(item);
        mouseClick(list->viewport(), list->visualItemRect(item).center(),
                   add ? Qt::ControlModifier : Qt::NoModifier);
    }

    void typeInto(QLineEdit* edit, const QString& text) {
        ASSERT_NE(edit, nullptr);
        edit->setFocus();
        edit->selectAll();
        for (QChar ch : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(edit, &press);
        }
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(edit, &enter);
    }
};

// Near one of the colour-order colours, allowing for antialiased edges.
bool near(QColor p, int r, int g, int b) {
    const int tolerance = 40;
    return std::abs(p.red() - r) <= tolerance && std::abs(p.green() - g) <= tolerance &&
           std::abs(p.blue() - b) <= tolerance;
}

TEST_F(QtResultsTest, Option2FromTheWelcomeWindowToASavedSpectralAccelerationPlot) {
    velmora_gui();
    const Handle welcome = newestWindow();
    ASSERT_NE(welcome, 0);
    clickButton(button(welcome, "OPTION 2 - A SET OF EARTHQUAKES AND A SINGLE DAMPING RATIO "));

    // Records 1, 5 and 10 (line 0 is the header), damping 0.05.
    const Handle input = newestWindow();
    ASSERT_EQ(model().get(input, "Name").toText(), kOption2Name);
    auto* list = widgetOf<QListWidget>(input, controlsOfStyle(input, "listbox").at(0));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 22);
    clickRow(list, 1, false);
    clickRow(list, 5, true);
    clickRow(list, 10, true);
    settle();
    EXPECT_EQ(list->selectedItems().size(), 3);
    const auto dampField = controlsOfStyle(input, "edit");
    ASSERT_EQ(dampField.size(), 1u);
    typeInto(widgetOf<QLineEdit>(input, dampField[0]), "0.05");
    clickButton(button(input, "DONE"));
    EXPECT_EQ(gv(G::EQ), Value::row({1, 5, 10}));
    EXPECT_EQ(gv(G::DAMP), Value::scalar(0.05));
    EXPECT_EQ(gv(G::numquakes), Value::scalar(3));

    // One scale factor field per record.
    const Handle scales = newestWindow();
    ASSERT_EQ(model().get(scales, "Name").toText(), kOption2Name);
    const auto factorFields = controlsOfStyle(scales, "edit");
    ASSERT_EQ(factorFields.size(), 3u);
    typeInto(widgetOf<QLineEdit>(scales, factorFields[0]), "1.5");
    typeInto(widgetOf<QLineEdit>(scales, factorFields[1]), "2");
    typeInto(widgetOf<QLineEdit>(scales, factorFields[2]), "0.5");
    clickButton(button(scales, "DONE"));
    settle(50);
    EXPECT_EQ(gv(G::SCALE2), Value::row({1.5, 2, 0.5}));
    EXPECT_EQ(gv(G::err), Value::scalar(0));
    EXPECT_EQ(gv(G::SA).rows(), 3u);
    EXPECT_EQ(gv(G::SD).rows(), 3u);

    // The results window offers the plots.
    const Handle results = newestWindow();
    ASSERT_EQ(model().get(results, "Name").toText(), kOption2Name);
    clickButton(button(results, "Spectral Acceleration"));
    const Handle plot = windowNamed("FIG/VELMORA: OPTION 2 - Spectral Acceleration");
    ASSERT_NE(plot, 0);
    ASSERT_NE(window(plot), nullptr);
    EXPECT_TRUE(window(plot)->isVisible());
    const auto axes = childrenOf(plot, ObjectType::Axes);
    ASSERT_EQ(axes.size(), 1u);
    EXPECT_EQ(childrenOf(axes[0], ObjectType::Line).size(), 3u);

    // Saved as a PNG file.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = QDir(dir.path()).filePath("sa.png");
    qtview::saveFigureImage(model(), plot, path.toStdString());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray head = file.read(8);
    EXPECT_EQ(head, QByteArray("\x89PNG\r\n\x1a\n", 8));
    EXPECT_GT(file.size(), 1000);
    EXPECT_FALSE(QImage(path).isNull());

    // Each record's curve is drawn in its colour-order colour.
    const QImage image = qtview::renderFigureImage(model(), plot, 1.0);
    ASSERT_FALSE(image.isNull());
    const int colours[3][3] = {{0, 0, 255}, {0, 128, 0}, {255, 0, 0}};
    for (const auto& c : colours) {
        EXPECT_GT(
            countPixels(image, image.rect(), [&c](QColor p) { return near(p, c[0], c[1], c[2]); }),
            30)
            << "colour " << c[0] << "," << c[1] << "," << c[2];
    }
}

}  // namespace
}  // namespace velmora::qttest
