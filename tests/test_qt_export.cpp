// Figures saved for reports: PNG, SVG and PDF files of the right kind, the
// curves' numbers as CSV exactly, and clear errors for what cannot be done.
#include <sys/resource.h>
#include <sys/stat.h>

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <csignal>
#include <filesystem>

#include "host/axis_quantity.h"
#include "host/figure_csv.h"
#include "test_qt_support.h"
#include "view/qt_export.h"

namespace velmora::qttest {
namespace {

using qtview::exportFigureCsv;
using qtview::saveFigureImage;

class QtExportTest : public QtViewTest {
  protected:
    // Two plots in one figure: three damping curves over periods, and one
    // curve over other x values in a second axes.
    Handle spectra() {
        const Handle f = model().createFigure({{"Position", Value::row({1, 1, 480, 360})}});
        const Handle a1 =
            model().create(ObjectType::Axes, f, {{"Position", Value::row({0.1, 0.55, 0.8, 0.4})}});
        model().plot(Value::row({0.01, 0.1, 1.0 / 3.0, 1, M_PI}),
                     Value::matrix(5, 3,
                                   {0.2, 0.7, 0.6, 0.3, 1e-300, 0.1, 0.35, 0.3, 0.15, 2.0 / 3.0,
                                    0.05, 0.2, 0.2, 0.1, 1e300}),
                     true);
        setLabel(a1, "XLabel", "Period [s]");
        model().legend(Value::cellRow({Value::text("2 %"), Value::text("5 %, soft"),
                                       Value::text("10 % \"high\"")}),
                       1);
        const Handle a2 =
            model().create(ObjectType::Axes, f, {{"Position", Value::row({0.1, 0.1, 0.8, 0.3})}});
        model().set(f, {{"CurrentAxes", Value::scalar(a2)}});
        model().plot(Value::row({0, 0.5, 1.5}), Value::row({-1.25, 0.1 + 0.2, 7}), false);
        setLabel(a2, "YLabel", "Drift");
        return f;
    }
    static QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static bool writeOld(const std::string& path) {
        QFile f(QString::fromStdString(path));
        return f.open(QIODevice::WriteOnly) && f.write("old") == 3;
    }

    QTemporaryDir dir_;
};

TEST_F(QtExportTest, ImagesAreWrittenInTheFormatTheirNameAsksForOrCopied) {
    const Handle f = spectra();
    settle();
    for (const char* name : {"spectra.png", "spectra.svg", "spectra.PDF"}) {
        saveFigureImage(model(), f, dir_.filePath(name).toStdString());
    }
    EXPECT_TRUE(read(dir_.filePath("spectra.png")).startsWith("\x89PNG\r\n\x1a\n"));
    const QByteArray svg = read(dir_.filePath("spectra.svg"));
    EXPECT_TRUE(svg.startsWith("<?xml") || svg.startsWith("<svg"));
    EXPECT_TRUE(svg.contains("<svg"));
    EXPECT_TRUE(read(dir_.filePath("spectra.PDF")).startsWith("%PDF"));

    // A report resolution: 300 dots per inch of the figure's screen size.
    const QImage image(dir_.filePath("spectra.png"));
    EXPECT_EQ(image.size(), QSize(1500, 1125));
    EXPECT_NEAR(image.dotsPerMeterX() * 0.0254, 300, 0.5);
    // The curves are drawn at that size too.
    EXPECT_GT(countPixels(image, image.rect(), [](QColor p) { return isHue(p, 2); }), 400);

    // Copy Figure puts an image of twice the screen size on the clipboard.
    qtview::copyFigureToClipboard(model(), f);
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(960, 720));
}

TEST_F(QtExportTest, CsvHoldsEveryCurveExactly) {
    const Handle f = spectra();
    const QString path = dir_.filePath("spectra.csv");
    exportFigureCsv(model(), f, path.toStdString());
    // Each number in its shortest exact form; a curve with fewer points
    // leaves its cells empty.
    EXPECT_EQ(read(path).toStdString(),
              "Period [s],2 %,\"5 %, soft\",\"10 % \"\"high\"\"\",x,Drift\n"
              "0.01,0.2,0.1,0.05,0,-1.25\n"
              "0.1,0.7,0.35,0.2,0.5,0.30000000000000004\n"
              "0.3333333333333333,0.6,0.3,0.2,1.5,7\n"
              "1,0.3,0.15,0.1,,\n"
              "3.141592653589793,1e-300,0.6666666666666666,1e+300,,\n");
}

TEST_F(QtExportTest, CsvHeadersNameQuantityUnitAndLegendRow) {
    // The program's spectral acceleration plot of an Option 1 run.
    const Handle f = model().createFigure({});
    model().create(ObjectType::Axes, f, {});
    const std::vector<double> periods = {0.1, 0.15, 0.2};
    const std::vector<double> sa = {0.04, 0.5, 3.41, 0.7, 1.0 / 3, 2.5};
    model().plot(Value::row(periods), Value::matrix(3, 2, sa), true);
    const Handle a = model().gca();
    setLabel(a, "XLabel", "Period - seconds");
    setLabel(a, "YLabel", "Spectral Acceleration - meters per second squared");
    model().legend(Value::textRows({"Damping Ratio = 0.02", "Damping Ratio = 0.1"}), 1);
    EXPECT_EQ(figureCsv(model(), f),
              "Period [s],Spectral Acceleration [m/s^2]: Damping Ratio = 0.02,"
              "Spectral Acceleration [m/s^2]: Damping Ratio = 0.1\n"
              "0.1,0.04,0.7\n"
              "0.15,0.5,0.3333333333333333\n"
              "0.2,3.41,2.5\n");

    // Without a legend the rows are numbered; other label forms and unit
    // words read as well.
    setLabel(a, "XLabel", "Time (seconds)");
    setLabel(a, "YLabel", "Ground Acceleration [centimeters per second squared]");
    model().plot(Value::row(periods), Value::matrix(3, 2, sa), false);
    EXPECT_EQ(
        figureCsv(model(), f).substr(0, figureCsv(model(), f).find('\n')),
        "Time [s],Ground Acceleration [cm/s^2]: curve 1,Ground Acceleration [cm/s^2]: curve 2");
    EXPECT_EQ(quantityHeading(axisQuantity("Drift ratio - percent")), "Drift ratio [%]");
    EXPECT_EQ(quantityHeading(axisQuantity("Stress - kips per square foot")),
              "Stress [kips per square foot]");
    EXPECT_EQ(quantityHeading(axisQuantity("Mode")), "Mode");
}

TEST_F(QtExportTest, AFigureWithoutAWindowIsDrawnFromTheModel) {
    // A model no view watches: the export builds its own drawing.
    GraphicsModel other;
    const Handle f = other.createFigure({{"Position", Value::row({1, 1, 200, 150})}});
    other.create(ObjectType::Axes, f, {});
    other.plot(Value::row({1, 2, 3}), Value::row({3, 1, 2}), false);
    const QString png = dir_.filePath("other.png");
    saveFigureImage(other, f, png.toStdString());
    const QImage image(png);
    EXPECT_EQ(image.width(), 625);
    EXPECT_GT(countPixels(image, image.rect(), [](QColor p) { return isHue(p, 2); }), 100);
}

TEST_F(QtExportTest, WhatCannotBeDoneIsSaidClearly) {
    const Handle f = spectra();
    const Handle empty = model().createFigure({});
    const std::string gif = dir_.filePath("spectra.gif").toStdString();
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { saveFigureImage(model(), f, gif); }, ".png, .svg or .pdf"},
        {[&] { saveFigureImage(model(), f, "/nonexistent-dir/spectra.png"); }, "Cannot write"},
        {[&] { exportFigureCsv(model(), f, "/nonexistent-dir/a.csv"); }, "Cannot write"},
        {[&] { exportFigureCsv(model(), empty, dir_.filePath("e.csv").toStdString()); },
         "no curves"},
        {[&] { saveFigureImage(model(), 12345, gif); }, ""},  // no such figure
    };
    for (const auto& [run, expected] : cases) {
        SCOPED_TRACE(expected);
        try {
            run();
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(expected), std::string::npos) << e.what();
        }
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(gif)));
}

TEST_F(QtExportTest, AFailedWriteIsReportedAndLeavesNothing) {
    const Handle f = spectra();
    settle();
    const std::string kept = dir_.filePath("kept.png").toStdString();
    ASSERT_TRUE(writeOld(kept));
    // Files of 64 bytes at most, with SIGXFSZ ignored: writes past that fail
    // with EFBIG, as on a full disk.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::vector<std::pair<std::string, std::string>> messages;
    for (const char* name : {"f.png", "f.svg", "f.pdf", "f.csv", "kept.png"}) {
        const std::string path = dir_.filePath(name).toStdString();
        try {
            (QString(name).endsWith(".csv") ? exportFigureCsv : saveFigureImage)(model(), f, path);
            messages.emplace_back(path, "no error");
        } catch (const Error& e) {
            messages.emplace_back(path, e.what());
        }
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    for (const auto& [path, message] : messages) {
        EXPECT_EQ(message, "Cannot write \"" + path + "\": File too large.");
        EXPECT_EQ(std::filesystem::exists(path), path == kept) << path;
    }
    EXPECT_EQ(read(QString::fromStdString(kept)), "old");
    // Only the old file: no temporary ones.
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kept.png"});
}

TEST_F(QtExportTest, ExportWritesThroughLinksAndKeepsTheMode) {
    const Handle f = spectra();
    const std::string target = dir_.filePath("target.csv").toStdString();
    const std::string link = dir_.filePath("link.csv").toStdString();
    const std::string twin = dir_.filePath("twin.csv").toStdString();
    ASSERT_TRUE(writeOld(target));
    ::chmod(target.c_str(), 0640);
    std::filesystem::create_symlink("target.csv", link);
    std::filesystem::create_hard_link(target, twin);
    exportFigureCsv(model(), f, link);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_TRUE(read(QString::fromStdString(twin)).startsWith("Period [s],2 %"));
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_nlink, 2u);
}

}  // namespace
}  // namespace velmora::qttest
