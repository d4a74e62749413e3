#include "host/value.h"

#include <algorithm>
#include <utility>

namespace velmora {

namespace {

const char* const kIndexExceeds = "Index exceeds matrix dimensions.";
const char* const kBadSubscript =
    "Subscript indices must either be real positive integers or logicals.";

void checkCount(std::size_t rows, std::size_t cols, std::size_t given) {
    if (given != rows * cols) {
        throw Error("The number of elements (" + std::to_string(given) +
                    ") does not match the size " + std::to_string(rows) + "x" +
                    std::to_string(cols) + ".");
    }
}

void checkSubscript(std::size_t i) {
    if (i == 0) throw Error(kBadSubscript);
}

}  // namespace

// --- construction -----------------------------------------------------------

Value Value::scalar(double x) {
    return matrix(1, 1, {x});
}

Value Value::matrix(std::size_t rows, std::size_t cols, std::vector<double> columnMajor) {
    checkCount(rows, cols, columnMajor.size());
    Value v;
    // [] is the empty value; keeping a separate "0x0 double" would make two
    // spellings of the same thing compare unequal.
    if (rows == 0 && cols == 0) return v;
    v.kind_ = ValueKind::Double;
    v.rows_ = rows;
    v.cols_ = cols;
    v.num_ = std::move(columnMajor);
    return v;
}

Value Value::zeros(std::size_t rows, std::size_t cols) {
    return matrix(rows, cols, std::vector<double>(rows * cols, 0.0));
}

Value Value::ones(std::size_t rows, std::size_t cols) {
    return matrix(rows, cols, std::vector<double>(rows * cols, 1.0));
}

Value Value::row(std::vector<double> values) {
    if (values.empty()) return Value();
    const std::size_t n = values.size();
    return matrix(1, n, std::move(values));
}

Value Value::column(std::vector<double> values) {
    if (values.empty()) return Value();
    const std::size_t n = values.size();
    return matrix(n, 1, std::move(values));
}

Value Value::text(const std::string& s) {
    Value v;
    v.kind_ = ValueKind::Char;
    if (s.empty()) return v;
    v.rows_ = 1;
    v.cols_ = s.size();
    v.chr_.push_back(s);
    return v;
}

Value Value::textRows(const std::vector<std::string>& rows) {
    Value v;
    v.kind_ = ValueKind::Char;
    std::size_t width = 0;
    for (const auto& r : rows) width = std::max(width, r.size());
    v.rows_ = rows.size();
    v.cols_ = rows.empty() ? 0 : width;
    v.chr_.reserve(rows.size());
    for (const auto& r : rows) {
        v.chr_.push_back(r);
        v.chr_.back().resize(width, ' ');
    }
    return v;
}

Value Value::cell(std::size_t rows, std::size_t cols, std::vector<Value> columnMajor) {
    checkCount(rows, cols, columnMajor.size());
    Value v;
    v.kind_ = ValueKind::Cell;
    v.rows_ = rows;
    v.cols_ = cols;
    v.cells_ = std::move(columnMajor);
    return v;
}

Value Value::cellRow(std::vector<Value> items) {
    const std::size_t n = items.size();
    return cell(n == 0 ? 0 : 1, n, std::move(items));
}

// --- numeric access ---------------------------------------------------------

double Value::operator()(std::size_t i) const {
    checkSubscript(i);
    if (kind_ == ValueKind::Char || kind_ == ValueKind::Cell) {
        throw Error("Numeric index into a non-numeric value.");
    }
    if (i > num_.size()) throw Error(kIndexExceeds);
    return num_[i - 1];
}

double Value::operator()(std::size_t r, std::size_t c) const {
    checkSubscript(r);
    checkSubscript(c);
    if (kind_ == ValueKind::Char || kind_ == ValueKind::Cell) {
        throw Error("Numeric index into a non-numeric value.");
    }
    if (r > rows_ || c > cols_) throw Error(kIndexExceeds);
    return num_[(c - 1) * rows_ + (r - 1)];
}

double Value::toDouble() const {
    if (kind_ == ValueKind::Char || kind_ == ValueKind::Cell) {
        throw Error("Expected a numeric value.");
    }
    if (num_.empty()) throw Error(kIndexExceeds);
    return num_.front();
}

std::vector<double> Value::rowValues(std::size_t r) const {
    checkSubscript(r);
    if (kind_ == ValueKind::Char || kind_ == ValueKind::Cell) {
        throw Error("Expected a numeric value.");
    }
    if (r > rows_) throw Error(kIndexExceeds);
    std::vector<double> out(cols_);
    for (std::size_t c = 0; c < cols_; ++c) out[c] = num_[c * rows_ + (r - 1)];
    return out;
}

// --- growth -----------------------------------------------------------------

namespace {

// Copies a column-major block into a larger zero-filled one.
std::vector<double> regrow(const std::vector<double>& data, std::size_t rows, std::size_t cols,
                           std::size_t newRows, std::size_t newCols) {
    std::vector<double> out(newRows * newCols, 0.0);
    for (std::size_t c = 0; c < cols; ++c) {
        for (std::size_t r = 0; r < rows; ++r) out[c * newRows + r] = data[c * rows + r];
    }
    return out;
}

}  // namespace

void Value::set(std::size_t i, double x) {
    checkSubscript(i);
    if (kind_ == ValueKind::Char || kind_ == ValueKind::Cell) {
        throw Error("Cannot assign a number into a non-numeric value.");
    }
    if (num_.empty()) {
        // Any empty matrix grows into a row, whatever its old shape.
        kind_ = ValueKind::Double;
        rows_ = 1;
        cols_ = i;
        num_.assign(i, 0.0);
    } else if (i > num_.size()) {
        if (rows_ == 1) {
            cols_ = i;
        } else if (cols_ == 1) {
            rows_ = i;
        } else {
            throw Error("Attempt to grow array along ambiguous dimension.");
        }
        num_.resize(i, 0.0);
    }
    num_[i - 1] = x;
}

void Value::set(std::size_t r, std::size_t c, double x) {
    checkSubscript(r);
    checkSubscript(c);
    if (kind_ == ValueKind::Char || kind_ == ValueKind::Cell) {
        throw Error("Cannot assign a number into a non-numeric value.");
    }
    if (r > rows_ || c > cols_) {
        const std::size_t newRows = std::max(r, rows_);
        const std::size_t newCols = std::max(c, cols_);
        num_ = regrow(num_, rows_, cols_, newRows, newCols);
        rows_ = newRows;
        cols_ = newCols;
        kind_ = ValueKind::Double;
    }
    num_[(c - 1) * rows_ + (r - 1)] = x;
}

void Value::setRow(std::size_t r, const std::vector<double>& values) {
    checkSubscript(r);
    if (kind_ == ValueKind::Char || kind_ == ValueKind::Cell) {
        throw Error("Cannot assign a number into a non-numeric value.");
    }
    if (kind_ == ValueKind::Empty) {
        if (values.empty()) return;
        cols_ = values.size();
        kind_ = ValueKind::Double;
    } else if (values.size() != cols_) {
        throw Error("Subscripted assignment dimension mismatch.");
    }
    if (r > rows_) {
        num_ = regrow(num_, rows_, cols_, r, cols_);
        rows_ = r;
    }
    for (std::size_t c = 0; c < cols_; ++c) num_[c * rows_ + (r - 1)] = values[c];
}

void Value::keepRows(std::size_t n) {
    if (isEmpty()) {
        if (n == 0) return;
        throw Error(kIndexExceeds);
    }
    if (rows_ == 1 && cols_ > 1) {
        keepColumns(n);
        return;
    }
    if (n > rows_) throw Error(kIndexExceeds);
    switch (kind_) {
        case ValueKind::Double: {
            std::vector<double> out(n * cols_);
            for (std::size_t c = 0; c < cols_; ++c) {
                for (std::size_t r = 0; r < n; ++r) out[c * n + r] = num_[c * rows_ + r];
            }
            num_ = std::move(out);
            break;
        }
        case ValueKind::Char:
            chr_.resize(n);
            break;
        case ValueKind::Cell: {
            std::vector<Value> out;
            out.reserve(n * cols_);
            for (std::size_t c = 0; c < cols_; ++c) {
                for (std::size_t r = 0; r < n; ++r) out.push_back(std::move(cells_[c * rows_ + r]));
            }
            cells_ = std::move(out);
            break;
        }
        case ValueKind::Empty:
            break;
    }
    rows_ = n;
}

void Value::keepColumns(std::size_t n) {
    if (n > cols_) throw Error(kIndexExceeds);
    switch (kind_) {
        case ValueKind::Double:
            num_.resize(rows_ * n);
            break;
        case ValueKind::Char:
            for (auto& r : chr_) r.resize(n);
            break;
        case ValueKind::Cell:
            cells_.resize(rows_ * n);
            break;
        case ValueKind::Empty:
            break;
    }
    cols_ = n;
}

// --- characters -------------------------------------------------------------

std::string Value::charRow(std::size_t r) const {
    checkSubscript(r);
    if (kind_ != ValueKind::Char) throw Error("Expected a character value.");
    if (r > rows_) throw Error(kIndexExceeds);
    return chr_[r - 1];
}

std::vector<std::string> Value::charRows() const {
    if (kind_ == ValueKind::Empty) return {};
    if (kind_ != ValueKind::Char) throw Error("Expected a character value.");
    return chr_;
}

std::string Value::toText() const {
    switch (kind_) {
        case ValueKind::Empty:
            return {};
        case ValueKind::Char: {
            std::string out;
            for (std::size_t r = 0; r < chr_.size(); ++r) {
                if (r > 0) out += '\n';
                out += chr_[r];
            }
            return out;
        }
        case ValueKind::Cell:
            if (rows_ == 1 && cols_ == 1 &&
                (cells_[0].isChar() || cells_[0].kind() == ValueKind::Empty)) {
                return cells_[0].toText();
            }
            break;
        case ValueKind::Double:
            break;
    }
    throw Error("Expected a character value.");
}

// --- cells ------------------------------------------------------------------

const Value& Value::cellAt(std::size_t i) const {
    checkSubscript(i);
    if (kind_ != ValueKind::Cell)
        throw Error("Cell contents reference from a non-cell array object.");
    if (i > cells_.size()) throw Error(kIndexExceeds);
    return cells_[i - 1];
}

const Value& Value::cellAt(std::size_t r, std::size_t c) const {
    checkSubscript(r);
    checkSubscript(c);
    if (kind_ != ValueKind::Cell)
        throw Error("Cell contents reference from a non-cell array object.");
    if (r > rows_ || c > cols_) throw Error(kIndexExceeds);
    return cells_[(c - 1) * rows_ + (r - 1)];
}

void Value::setCell(std::size_t i, Value v) {
    checkSubscript(i);
    if (kind_ == ValueKind::Double || kind_ == ValueKind::Char) {
        throw Error("Cell contents assignment to a non-cell array object.");
    }
    if (cells_.empty()) {
        kind_ = ValueKind::Cell;
        rows_ = 1;
        cols_ = i;
        cells_.resize(i);
    } else if (i > cells_.size()) {
        if (rows_ == 1) {
            cols_ = i;
        } else if (cols_ == 1) {
            rows_ = i;
        } else {
            throw Error("Attempt to grow array along ambiguous dimension.");
        }
        cells_.resize(i);
    }
    cells_[i - 1] = std::move(v);
}

// --- conditions and comparison ----------------------------------------------

bool Value::truthy() const {
    if (isEmpty()) return false;
    switch (kind_) {
        case ValueKind::Double:
            return std::none_of(num_.begin(), num_.end(), [](double x) { return x == 0.0; });
        case ValueKind::Char:
            return std::none_of(chr_.begin(), chr_.end(), [](const std::string& r) {
                return r.find('\0') != std::string::npos;
            });
        case ValueKind::Cell:
            throw Error("Conversion to logical from cell is not possible.");
        case ValueKind::Empty:
            break;
    }
    return false;
}

bool Value::operator==(const Value& other) const {
    if (kind_ != other.kind_ || rows_ != other.rows_ || cols_ != other.cols_) return false;
    switch (kind_) {
        case ValueKind::Double:
            return num_ == other.num_;
        case ValueKind::Char:
            return chr_ == other.chr_;
        case ValueKind::Cell:
            return cells_ == other.cells_;
        case ValueKind::Empty:
            return true;
    }
    return false;
}

}  // namespace velmora
