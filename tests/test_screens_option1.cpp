// The Option 1 input screen: one record, the number of damping ratios and
// the scale factor.
#include <string>
#include <vector>

#include "test_screens_common.h"

namespace velmora::screens_test {
namespace {

// Also: action numbers the screens do not know do nothing.
TEST(Option1Screen, OpensFromItsButtonAndShowsTheStoredChoicesInItsElevenControls) {
    const auto r = session(kToOption1 + "eval velmora_gui02(7)\neval velmora_gui01(3)\ndump\n");
    const auto& dump = r.lastDump();
    ASSERT_EQ(windowCount(dump), 1u);
    EXPECT_EQ(scalarOf(dump, "option"), 1);
    const auto window = onlyWindow(dump, kOption1);
    EXPECT_EQ(propNumbers(window, "Position"), (Row{232, 258, 560, 438}));
    EXPECT_EQ(propText(window, "Tag"), "Fig1");

    const auto listLines = textRows(global(dump, "EQ_string"));
    ASSERT_EQ(listLines.size(), 22u);
    expectShown(
        window,
        inputScreen("velmora_gui02",
                    {{"text", "Specify Number of DAMPING Ratios:", "", {45, 114, 219.75, 19.5}},
                     {"text", "Select one EARTHQUAKE:", "", {45, 260, 165, 20}},
                     {"listbox", listLines[0], "", {39.75, 192.75, 340.5, 70.5}}},
                    {{"edit", "5", "", {245, 116.25, 50.25, 15}},
                     {"edit", "1", "", {180, 155, 50.25, 15}},
                     {"text", "Specify SCALE Factor:", "", {45, 152.5, 130.75, 19.5}}}));
    const auto c = controls(window);
    EXPECT_EQ(propNumbers(c[2], "ForegroundColor"), rgb(62, 62, 62));
    EXPECT_EQ(propNumbers(c[3], "ForegroundColor"), rgb(62, 62, 62));

    // The list shows every catalogue line. (The chosen record, selected and
    // scrolled to the top, is checked where the screen reopens with another.)
    const auto& list = c[6];
    EXPECT_EQ(textRows(prop(list, "String")), listLines);
    EXPECT_EQ(propText(list, "FontName"), "Fixedsys");
    EXPECT_EQ(propNumbers(list, "FontSize"), Row{9});
    EXPECT_EQ(propNumbers(list, "BackgroundColor"), (Row{1, 1, 1}));
    for (std::size_t i : {8u, 9u}) {
        EXPECT_EQ(propNumbers(c[i], "FontSize"), Row{11});
        expectTexts(
            c[i],
            {{"FontName", "fixedsys"}, {"HorizontalAlignment", "right"}, {"Tag", "EditText1"}});
    }

    const Names upper = {"Parent",     "Units",    "BackgroundColor", "FontSize", "FontWeight",
                         "ListboxTop", "Position", "Style",           "Tag"};
    const Names navigation = withAfter(kButtonProps, "FontWeight", "ForegroundColor");
    const Names label = withAfter(kLabelProps, "FontWeight", "HorizontalAlignment");
    const Names listBox = withAfter(kLabelProps, "Tag", "Value");
    EXPECT_EQ(propertyOrder(r, kOption1),
              (std::vector<Names>{kWindowProps, upper, kFrameProps, navigation, navigation, label,
                                  label, listBox, kButtonProps, label, label, label}));
}

// The count is rounded, halves away from zero, and must lie from 1 to 9; a
// higher count appends zero ratios, which the damping ratios screen shows,
// one field per ratio. The scale factor must be exactly one finite number
// and Option 2's damping ratio one number from 0 to 1. A refused field
// keeps its stored value (the start values, or 3 given before) and an error
// window opens over the screen.
TEST(InputScreens, EachFieldStoresOnlyAValidNumber) {
    const std::string count = kToOption1 + "edit 1 ";
    const std::string scale = kToOption1 + "edit 2 3\npress BACK\n" + kToOption1 + "edit 2 ";
    const std::string ratio = kToOption2 + "edit 1 ";
    struct Case {
        std::string edit;
        const char* text;
        const char* name;
        double stored;
        bool refused;
    };
    const Case cases[] = {
        {count, "2.5", "numdamp", 3, false},  {count, "9.4", "numdamp", 9, false},
        {count, "1", "numdamp", 1, false},    {count, "9", "numdamp", 9, false},
        {count, "0.4", "numdamp", 5, true},   {count, "9.5", "numdamp", 5, true},
        {count, "0", "numdamp", 5, true},     {count, "10", "numdamp", 5, true},
        {count, "-3", "numdamp", 5, true},    {count, "", "numdamp", 5, true},
        {count, "2 3", "numdamp", 5, true},   {count, "abc", "numdamp", 5, true},
        {scale, "abc", "SCALE1", 3, true},    {scale, "", "SCALE1", 3, true},
        {scale, "1 2", "SCALE1", 3, true},    {scale, "Inf", "SCALE1", 3, true},
        {scale, "NaN", "SCALE1", 3, true},    {scale, "1e999", "SCALE1", 3, true},
        {scale, "2,", "SCALE1", 3, true},     {scale, " +1.5E1 ", "SCALE1", 15, false},
        {ratio, "0", "DAMP", 0, false},       {ratio, "1", "DAMP", 1, false},
        {ratio, "0.05", "DAMP", 0.05, false}, {ratio, "1.01", "DAMP", 0.02, true},
        {ratio, "-0.1", "DAMP", 0.02, true},  {ratio, "", "DAMP", 0.02, true},
        {ratio, "abc", "DAMP", 0.02, true},   {ratio, "0.1 0.2", "DAMP", 0.02, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " \"" + c.text + "\"");
        const auto r = session(c.edit + c.text + "\npress DONE\ndump\n");
        const auto& dump = r.lastDump();
        EXPECT_EQ(scalarOf(dump, c.name), c.stored);
        EXPECT_EQ(countNamed(dump, kError), c.refused ? 1u : 0u);
        const std::string& screen = c.edit == ratio ? kOption2 : kOption1;
        // Refused, the input screen stays.
        if (c.refused) {
            EXPECT_EQ(styled(dump, screen, "listbox").size(), 1u);
            continue;
        }
        if (c.edit != count) continue;
        const auto n = static_cast<std::size_t>(c.stored);
        Row ratios = {0.02, 0.05, 0.1, 0.15, 0.2, 0, 0, 0, 0};
        Names shown = {"0.02", "0.05", "0.1", "0.15", "0.2", "0", "0", "0", "0"};
        ratios.resize(std::max<std::size_t>(n, 5));
        shown.resize(n);
        EXPECT_EQ(row(dump, "damp"), ratios);
        const auto fields = styled(dump, kOption1, "edit");
        EXPECT_EQ(texts(fields, "String"), shown);
        // The fields go down the panel, 20 points apart (nine reach 103);
        // their handles form a column, field i in row i.
        std::vector<Row> column;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            EXPECT_EQ(propNumbers(fields[i], "Position"),
                      (Row{245, 263 - 20.0 * static_cast<double>(i), 50.25, 15}));
            column.push_back({handleOf(fields[i])});
        }
        EXPECT_EQ(numbers(global(dump, "hdamp")), column);
    }
}

// Reopened, each screen shows the stored choices.
TEST(InputScreens, BackWithValidInputReturnsToARebuiltWelcomeWindow) {
    const auto r = session(kToOption1 + "select 4\nedit 1 2\nedit 2 0.5\npress BACK\ndump\n" +
                           kToOption1 + "dump\npress BACK\n" + kToOption2 +
                           "select 3 8\nedit 1 0.1\npress BACK\ndump\n" + kToOption2 + "dump\n");
    ASSERT_EQ(r.dumps.size(), 4u);
    for (const auto* back : {&r.dumps[0], &r.dumps[2]}) {
        EXPECT_EQ(windowCount(*back), 1u);
        EXPECT_EQ(controls(onlyWindow(*back, kWelcome)).size(), 8u);
        expectStored(*back, {{"RECORD", 3}, {"numdamp", 2}, {"SCALE1", 0.5}, {"err", 0}});
    }
    const auto c = controls(onlyWindow(r.dumps[1], kOption1));
    EXPECT_EQ(propNumbers(c[6], "Value"), Row{4});
    EXPECT_EQ(propNumbers(c[6], "ListboxTop"), Row{4});
    EXPECT_EQ(propText(c[8], "String"), "2");
    EXPECT_EQ(propText(c[9], "String"), "0.5");

    EXPECT_EQ(row(r.dumps[2], "EQ"), (Row{2, 7}));
    EXPECT_EQ(scalarOf(r.dumps[2], "DAMP"), 0.1);
    const auto c2 = controls(onlyWindow(r.dumps[3], kOption2));
    EXPECT_EQ(propNumbers(c2[6], "Value"), (Row{3, 8}));
    EXPECT_EQ(propText(c2[8], "String"), "0.1");
}

// Quit on any input screen ends the session at once, without reading (and
// refusing) what the fields hold.
TEST(InputScreens, QuitEndsTheSessionWithoutReading) {
    const std::string toDamping = kToOption1 + "edit 1 2\npress DONE\n";
    const std::string toScale = kToOption2 + "select 6\npress DONE\n";
    for (const std::string& script :
         {kToOption1 + "edit 1 4\nselect 1\npress QUIT\ndump\n", kToOption2 + "press QUIT\ndump\n",
          toDamping + "edit 1 x\npress QUIT\ndump\n", toScale + "edit 1 x\npress QUIT\ndump\n"}) {
        EXPECT_TRUE(session(script).dumps.empty()) << script;
    }
}

}  // namespace
}  // namespace velmora::screens_test
