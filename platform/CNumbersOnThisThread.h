#pragma once

#include <locale.h>

// The spreadsheet library prints numbers (values, column widths) with the C
// library's locale, which the application takes from LANG: under a German
// locale 2.21 would go into the file as "2,21", which the spreadsheet reads
// as 2. Switches this thread to "C" numbers for as long as it lives.
class CNumbersOnThisThread
{
public:
    CNumbersOnThisThread()
        : numbers_(newlocale(LC_NUMERIC_MASK, "C", duplocale(uselocale(nullptr))))
        , before_(numbers_ ? uselocale(numbers_) : nullptr)
    {
    }
    ~CNumbersOnThisThread()
    {
        if (numbers_) {
            uselocale(before_);
            freelocale(numbers_);
        }
    }
    explicit operator bool() const { return numbers_ != nullptr; }
    CNumbersOnThisThread(const CNumbersOnThisThread&) = delete;
    CNumbersOnThisThread& operator=(const CNumbersOnThisThread&) = delete;

private:
    locale_t numbers_;
    locale_t before_;
};
