// What the text record readers (.AT2 and text/CSV) share: lines, fields,
// numbers, and quoting a file's own text in a message.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora::spectra {

// The lines of a text: ends of line are "\n", "\r\n" or a lone "\r".
class Lines {
  public:
    explicit Lines(std::string_view text) : text_(text) {}
    bool next(std::string_view& line);
    std::size_t number() const { return number_; }  // of the line last returned, from 1

  private:
    std::string_view text_;
    std::size_t at_ = 0;  // where the next line starts
    // The next "\n" at or after at_ (npos: none), found once for all the
    // lone-"\r" lines before it.
    std::size_t newline_ = 0;
    bool newlineKnown_ = false;
    std::size_t return_ = 0;  // the next "\r" likewise
    bool returnKnown_ = false;
    std::size_t number_ = 0;
    bool done_ = false;
};

// The fields of one line: separated by blanks, tabs, commas or semicolons;
// quotes around a field are dropped.
class Fields {
  public:
    explicit Fields(std::string_view line) : rest_(line) {}
    bool next(std::string_view& field);

  private:
    std::string_view rest_;
};

// The numbers of a line that holds nothing but finite numbers as
// std::from_chars reads them (no leading '+', Fortran exponent or quotes)
// apart by separators: their count, at most `max`, in `values`, read in
// place. NOT_PLAIN when the line holds anything else or more fields: the
// caller then reads it field by field, which gives the same numbers and
// the messages.
inline constexpr std::size_t NOT_PLAIN = static_cast<std::size_t>(-1);
std::size_t plainNumbers(std::string_view line, double* values, std::size_t max);

// Blank, or a comment starting with '#'.
bool blankOrComment(std::string_view line);

// A field that is a number, or starts as one does (a digit, or a sign or
// point before a digit): a line starting with such a field is meant as data,
// whatever follows.
bool startsLikeNumber(std::string_view field);

// The value of a field that must be a finite number; throws RecordError
// naming the line and quoting the field otherwise.
double finiteValue(std::string_view field, std::size_t line);

// ASCII letters in lower case.
std::string lowerCase(std::string_view text);

// "line 12".
std::string lineText(std::size_t line);

// A file's own text for a message: in double quotes, at most
// QUOTE_LENGTH characters (then "..." after the closing quote), with
// control characters, invalid UTF-8, quotes and backslashes escaped, so a
// message stays one short printable line whatever the file holds.
inline constexpr std::size_t QUOTE_LENGTH = 40;
std::string quotedText(std::string_view text);

// The same without the quotes, for names in a list.
std::string printableText(std::string_view text);

}  // namespace velmora::spectra
