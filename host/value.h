// Array values: the one data type of the program. A value is empty, a double
// matrix, a character matrix (rows padded with blanks) or a cell array.
// Storage is column-major; the program-facing accessors are 1-based.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

namespace velmora {

// The array library's error routine: carries the fixed message text.
class Error : public std::runtime_error {
  public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

enum class ValueKind { Empty, Double, Char, Cell };

class Value {
  public:
    Value() = default;  // the empty value

    static Value scalar(double x);
    // A 0 x 0 matrix, and a row or column of no values, is the empty value.
    static Value matrix(std::size_t rows, std::size_t cols, std::vector<double> columnMajor);
    static Value zeros(std::size_t rows, std::size_t cols);
    static Value ones(std::size_t rows, std::size_t cols);
    static Value row(std::vector<double> values);
    static Value row(std::initializer_list<double> values) {
        return row(std::vector<double>(values));
    }
    static Value column(std::vector<double> values);
    // A 1 x n character row ("" gives a 0 x 0 character value).
    static Value text(const std::string& s);
    // Character matrix; rows are padded with blanks to the longest.
    static Value textRows(const std::vector<std::string>& rows);
    static Value cell(std::size_t rows, std::size_t cols, std::vector<Value> columnMajor);
    static Value cellRow(std::vector<Value> items);

    ValueKind kind() const { return kind_; }
    bool isEmpty() const { return rows_ == 0 || cols_ == 0; }
    bool isDouble() const { return kind_ == ValueKind::Double; }
    bool isChar() const { return kind_ == ValueKind::Char; }
    bool isCell() const { return kind_ == ValueKind::Cell; }
    bool isScalar() const { return kind_ == ValueKind::Double && rows_ == 1 && cols_ == 1; }
    std::size_t rows() const { return rows_; }
    std::size_t cols() const { return cols_; }
    std::size_t numel() const { return rows_ * cols_; }
    std::size_t length() const { return isEmpty() ? 0 : (rows_ > cols_ ? rows_ : cols_); }

    // Numeric access, 1-based. Throws Error when out of range or not numeric.
    double operator()(std::size_t i) const;
    double operator()(std::size_t r, std::size_t c) const;
    // Scalar value of a numeric value (first element); throws when empty.
    double toDouble() const;
    const std::vector<double>& data() const { return num_; }
    std::vector<double> rowValues(std::size_t r) const;

    // Indexed assignment that grows the matrix, filling new places with 0.
    // Linear indexing grows an empty value or a row along its columns and a
    // column along its rows; a matrix cannot grow through a linear index.
    void set(std::size_t i, double x);
    void set(std::size_t r, std::size_t c, double x);
    void setRow(std::size_t r, const std::vector<double>& values);
    // Keep only the first n rows (or elements of a vector); the value's
    // "cut down" step. A 1 x n value of any kind is a vector here, so its
    // columns are cut. Throws Error when n exceeds what is there.
    void keepRows(std::size_t n);
    void keepColumns(std::size_t n);

    // Character access.
    std::string charRow(std::size_t r) const;  // 1-based row, blanks kept
    std::vector<std::string> charRows() const;
    // The text of a character value (one row as is, several joined with
    // '\n'), or of a 1 x 1 cell holding one; the empty value gives "".
    // Throws Error for anything else.
    std::string toText() const;

    // Cell access, 1-based.
    const Value& cellAt(std::size_t i) const;
    const Value& cellAt(std::size_t r, std::size_t c) const;
    void setCell(std::size_t i, Value v);

    // The array library's condition: non-empty and every element non-zero.
    bool truthy() const;

    bool operator==(const Value& other) const;
    bool operator!=(const Value& other) const { return !(*this == other); }

  private:
    ValueKind kind_ = ValueKind::Empty;
    std::size_t rows_ = 0;
    std::size_t cols_ = 0;
    std::vector<double> num_;       // Double, column-major
    std::vector<std::string> chr_;  // Char, one string per row
    std::vector<Value> cells_;      // Cell, column-major
};

}  // namespace velmora
