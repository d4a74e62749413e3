#include <matio.h>

#include <map>
#include <thread>

#include "support/mat73_files.h"
#include "support/program_fixture.h"
#include "test_spectra_common.h"

using velmora::Error;
using velmora::MatVersion;
using velmora::Value;
using velmora::spectra_test::readText;
using velmora::testing::errorOf;

namespace fs = std::filesystem;

namespace {

// A fresh folder per test, removed afterwards.
class MatFileTest : public ::testing::Test {
  protected:
    std::string file(const std::string& name) const { return dir_ / name; }

    velmora::spectra_test::ScratchFolder dir_;
};

// Arrays of every kind the program writes.
std::map<std::string, Value> sampleArrays(bool withCell) {
    std::map<std::string, Value> a{
        {"periods", Value::matrix(2, 3, {0.01, 0.02, 0.5, 1.0, 2.5, -4.0})},
        {"damping", Value::scalar(0.05)},
        {"title", Value::text("El Centro 1940")},
        {"labels", Value::textRows({"PGA", "Sa(T1)", ""})},
        {"none", Value()},
    };
    if (withCell) {
        a["items"] = Value::cell(2, 2,
                                 {Value::text("NS"), Value::row({1, 2, 3}), Value(),
                                  Value::cellRow({Value::text("inner"), Value::scalar(7)})});
    }
    return a;
}

}  // namespace

using MatRoundTrip = MatFileTest;

// Each version keeps what it can hold, and the same arrays give the same
// bytes (version 7.3 files carry a time stamp).
TEST_F(MatRoundTrip, EachVersionKeepsDoubleCharAndCellAndGivesTheSameBytes) {
    for (MatVersion v : {MatVersion::V4, MatVersion::V5, MatVersion::V73}) {
        SCOPED_TRACE(static_cast<int>(v));
        const auto arrays = sampleArrays(v != MatVersion::V4);
        velmora::saveMatFile(file("a.mat"), arrays, v);
        EXPECT_EQ(velmora::mlfLoadStruct(file("a.mat")), arrays);
        if (v == MatVersion::V73) continue;
        velmora::saveMatFile(file("b.mat"), arrays, v);
        EXPECT_EQ(readText(file("a.mat")), readText(file("b.mat")));
    }
}

TEST_F(MatRoundTrip, SavingRefusesACellInVersion4ReplacesAFileAndNeedsItsFolder) {
    const std::string cellPath = file("cell4.mat");
    const std::string message = errorOf([&] {
        velmora::saveMatFile(cellPath, {{"c", Value::cellRow({Value::scalar(1)})}}, MatVersion::V4);
    });
    EXPECT_NE(message.find(cellPath), std::string::npos) << message;
    EXPECT_NE(message.find("\"c\""), std::string::npos) << message;
    EXPECT_TRUE(fs::is_empty(dir_.path())) << "the temporary file was left behind";
    // An existing file is replaced; a missing folder is named.
    const std::string path = file("r.mat");
    velmora::saveMatFile(path, {{"x", Value::scalar(1)}, {"old", Value::scalar(2)}});
    velmora::saveMatFile(path, {{"x", Value::scalar(3)}});
    EXPECT_EQ(velmora::mlfLoadStruct(path),
              (std::map<std::string, Value>{{"x", Value::scalar(3)}}));
    const std::string lost = file("no/such/folder/x.mat");
    const std::string lostMessage = errorOf([&] {
        velmora::saveMatFile(lost, {{"x", Value::scalar(1)}});
    });
    EXPECT_NE(lostMessage.find(lost), std::string::npos) << lostMessage;
}

using MatLoad = MatFileTest;

TEST_F(MatLoad, MissingTextAndEmptyFilesAreRefused) {
    const std::string text = file("notes.mat"), empty = file("empty.mat"), absent = file("a.mat");
    std::string notes;
    for (int i = 0; i < 20; ++i) notes += "period  Sa\n0.1  0.35\n";
    velmora::spectra_test::writeText(text, notes);
    velmora::spectra_test::writeText(empty, "");
    for (const auto& [path, reason] :
         {std::pair{absent, "No such file or directory"}, std::pair{text, "not a MAT-file"},
          std::pair{empty, "not a MAT-file"}}) {
        EXPECT_EQ(errorOf([&] { velmora::mlfLoadStruct(path); }),
                  "Unable to read file \"" + path + "\": " + reason + ".");
    }
}

TEST_F(MatLoad, CutOffFilesAreRefusedNotReadAsGarbage) {
    for (MatVersion v : {MatVersion::V4, MatVersion::V5, MatVersion::V73}) {
        const std::string path = file("cut" + std::to_string(static_cast<int>(v)) + ".mat");
        velmora::saveMatFile(path, {{"a", Value::ones(50, 50)}, {"b", Value::ones(50, 50)}}, v);
        fs::resize_file(path, fs::file_size(path) - 1000);
        EXPECT_EQ(errorOf([&] { velmora::mlfLoadStruct(path); }),
                  "Unable to read file \"" + path + "\": the file is damaged or truncated.");
    }
}

// Version 7.3 files are HDF5 files, whose references, links and declared
// extents matio follows and allocates as they stand. Each damaged one is
// refused from what it holds, whichever arrays are asked for; sound ones,
// compressed or not, with a shared empty array as MATLAB writes empty
// cells, load as written. Batches read their files from several threads at
// once: the check gives each thread what it gives one alone, and HDF5
// prints nothing.
TEST_F(MatLoad, Version73FilesAreCheckedBeforeMatioReadsThemFromAnyThread) {
    const std::map<std::string, std::string> reasons = {
        {"v73-self-referential-cell", "the file is damaged: an array contains itself"},
        {"v73-structure-link-cycle", "the file is damaged: an array contains itself"},
        {"v73-never-written-array", "the file is damaged or truncated"},
        {"v73-partly-written-chunks", "the file is damaged or truncated"},
        {"v73-partly-written-compressed-chunks", "the file is damaged or truncated"},
        {"v73-cells-nested-40-deep", "the file is damaged: its arrays are nested too deeply"},
        {"v73-one-array-in-a-million-cells",
         "the file is damaged: its arrays refer to more data than it holds"},
        {"v73-structure-field-named-dot", "the file is damaged: an array contains itself"},
        {"v73-empty-array-of-2e7-rows", "the file is damaged or truncated"},
        {"v73-link-into-another-file",
         "the file keeps its arrays in other files, which is not supported"},
    };
    std::vector<std::string> paths;
    for (const auto* faults :
         {&velmora::testing::mat73Faults(), &velmora::testing::moreMat73Faults()}) {
        for (const auto& fault : *faults) {
            SCOPED_TRACE(fault.kind);
            const std::string path = paths.emplace_back(file(std::string(fault.kind) + ".mat"));
            fault.write(path, "rec");
            const std::string expected =
                "Unable to read file \"" + path + "\": " + reasons.at(fault.kind) + ".";
            EXPECT_EQ(errorOf([&] { velmora::mlfLoadStruct(path); }), expected);
            EXPECT_EQ(errorOf([&] { velmora::mclLoadConditional(path, {"other"}); }), expected);
        }
    }

    const std::vector<double> record = {0, 0.01, 0.02, 0.1, -0.2, 0.15};
    for (bool compressed : {false, true}) {
        const std::string path = paths.emplace_back(file(compressed ? "zipped.mat" : "plain.mat"));
        velmora::testing::writeSoundMat73(path, "rec", record, compressed);
        const std::map<std::string, Value> expected = {
            {"rec", Value::matrix(3, 2, record)}, {"empties", Value::cellRow({Value(), Value()})}};
        EXPECT_EQ(velmora::mlfLoadStruct(path), expected) << path;
    }

    // Empty arrays keep only their size, a cell's too.
    const std::string empties = file("empties.mat");
    const std::map<std::string, Value> none = {{"c", Value::cell(0, 3, {})},
                                               {"d", Value::matrix(4, 0, {})}};
    velmora::saveMatFile(empties, none, MatVersion::V73);
    EXPECT_EQ(velmora::mlfLoadStruct(empties), none);

    // matio's own compressed version 7.3 arrays: chunked, every chunk
    // written, here 800 times smaller than they hold.
    const std::string zipped = file("matio-zipped.mat");
    mat_t* mat = Mat_CreateVer(zipped.c_str(), nullptr, MAT_FT_MAT73);
    ASSERT_NE(mat, nullptr);
    std::vector<double> zeros(2 * 20000, 0.0);
    size_t dims[2] = {20000, 2};
    matvar_t* var = Mat_VarCreate("z", MAT_C_DOUBLE, MAT_T_DOUBLE, 2, dims, zeros.data(), 0);
    ASSERT_EQ(Mat_VarWrite(mat, var, MAT_COMPRESSION_ZLIB), 0);
    Mat_VarFree(var);
    Mat_Close(mat);
    EXPECT_LT(fs::file_size(zipped), 20000u);
    EXPECT_EQ(velmora::mlfLoadStruct(zipped).at("z"), Value::matrix(20000, 2, zeros));

    using Outcome = std::pair<std::map<std::string, Value>, std::string>;  // arrays, error
    const auto outcome = [](const std::string& path) {
        try {
            return Outcome{velmora::mlfLoadStruct(path), ""};
        } catch (const Error& e) {
            return Outcome{{}, e.what()};
        }
    };
    std::vector<Outcome> alone;
    for (const auto& p : paths) alone.push_back(outcome(p));
    ::testing::internal::CaptureStderr();
    std::vector<std::vector<Outcome>> seen(4);
    {
        std::vector<std::jthread> threads;
        for (auto& mine : seen) {
            threads.emplace_back([&] {
                for (int round = 0; round < 3; ++round) {
                    for (const auto& p : paths) mine.push_back(outcome(p));
                }
            });
        }
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    for (const auto& mine : seen) {
        ASSERT_EQ(mine.size(), 3 * paths.size());
        for (std::size_t i = 0; i < mine.size(); ++i) {
            EXPECT_TRUE(mine[i] == alone[i % paths.size()]) << mine[i].second;
        }
    }
}

TEST_F(MatLoad, GetfieldNamesFieldAndFile) {
    const std::string path = file("Impval1.mat");
    velmora::saveMatFile(path, {{"Impval2", Value::scalar(2)}});
    const auto loaded = velmora::mlfLoadStruct(path);
    EXPECT_EQ(velmora::mlfGetfield(loaded, "Impval2", path), Value::scalar(2));
    EXPECT_EQ(errorOf([&] { velmora::mlfGetfield(loaded, "Impval1", path); }),
              "Reference to non-existent field \"Impval1\" in \"" + path + "\".");
}

TEST(MatScipyFixture, ReadsArraysWrittenByScipy) {
    const std::string path = VELMORA_SOURCE_DIR "/tests/fixtures/scipy_fixture.mat";
    const auto f = velmora::mlfLoadStruct(path);
    ASSERT_EQ(f.size(), 5u);
    EXPECT_EQ(f.at("accel"), Value::matrix(3, 2, {0.5, 2.0, 1e-3, -1.25, 3.75, 400.0}));
    EXPECT_EQ(f.at("station"), Value::text("EL CENTRO"));
    EXPECT_EQ(f.at("counts"), Value::row({-300, 0, 7, 32767}));
    EXPECT_EQ(f.at("flag"), Value::row({1, 0}));
    EXPECT_EQ(f.at("components"),
              Value::cellRow({Value::text("north"), Value::text("east"), Value::text("up")}));
}
