// The element list: the objects of the catalogue cache that pass an element
// query, in display order, each with its derived value; their texts for the
// list's columns (through a cache of 64 text records that the rows on screen
// fill), sorting by any column, and the values per column that the plots
// read. Plain C++: the list window only shows it.
//
// Columns: 0 N (the catalogue number; empty for an unnumbered object), 1
// Name, 2 H, 3 G, 4 M, 5 Peri, 6 Node, 7 i, 8 e, 9 n, 10 a, and 11 the
// derived quantity when the query names one.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zelvo/graphics/elcache.h"
#include "zelvo/graphics/elderived.h"
#include "zelvo/graphics/elquery.h"

namespace zelvo::elements {

inline constexpr int kColumnNumber = 0, kColumnName = 1, kColumnG = 3, kColumnDerived = 11, kColumnCount = 12;

struct ElementListItem {
    std::int32_t record = 0;         // 0-based record index (catalogue number - 1)
    std::array<char, 14> derived{};  // the derived text, zero-terminated when shorter
    double value = 0;                // the derived value (0 for codes 0 and 14)
    std::string_view derivedText() const { return {derived.data(), ::strnlen(derived.data(), derived.size())}; }
};

// ---- Sort order ---------------------------------------------------------------------
// Each comparison tells whether a comes before b. Values that are not finite
// come after every number, in both directions; the texts compare their first
// 18 (names) or 3 (commensurabilities) characters case-blind.
bool IndexLess(std::int32_t a, std::int32_t b);
bool IndexGreater(std::int32_t a, std::int32_t b);
bool NameLess(std::string_view a, std::string_view b);
bool NameGreater(std::string_view a, std::string_view b);
bool ValueLess(double a, double b);
bool ValueGreater(double a, double b);
bool SlopeLess(double a, double b);  // a G below -999 counts as 0.15
bool SlopeGreater(double a, double b);
bool NcLess(std::string_view a, std::string_view b);
bool NcGreater(std::string_view a, std::string_view b);

// Sorts items in place by column (0..11) ascending (Sort Up) or descending
// (Sort Down); items with equal keys keep their order. derivedCode decides
// how column 11 compares.
void SortItems(std::vector<ElementListItem>& items, int column, bool ascending, const CatalogueCache& cache,
               int derivedCode);

// ---- The list ----------------------------------------------------------------------

// What a list takes of the program-wide state when it is made; it keeps its
// own copy, so later queries change nothing in it.
struct ElementListSetup {
    ElementQuery query;
    DerivedInputs derived;
    std::int32_t numbered = 0;  // numbered objects of the catalogue
};

// Reports the computing of a list's derived column: called on the thread
// that builds the list now and then with the objects done and their total;
// false stops the computing.
using DerivedProgress = std::function<bool(long long done, long long total)>;

// Whether the derived values of code cost a library scan per object (MOID,
// CT): those are computed on every core, with progress.
bool costlyDerivedCode(int code);

class ElementList {
public:
    // Runs the query over the whole cache (which the list keeps open). A
    // progress that stops the computing leaves the list empty and cancelled.
    ElementList(std::shared_ptr<const CatalogueCache> cache, ElementListSetup setup, Library& lib,
                const DerivedProgress& progress = {});
    bool cancelled() const { return cancelled_; }

    int count() const { return static_cast<int>(items_.size()); }
    const std::vector<ElementListItem>& items() const { return items_; }
    int derivedCode() const { return setup_.query.QueryFunctionCode; }
    bool hasDerivedColumn() const { return derivedCode() != 0; }
    const std::string& queryText() const { return setup_.query.QueryText; }
    const ElementListSetup& setup() const { return setup_; }
    const CatalogueCache& cache() const { return *cache_; }

    // The record index and the records of a row.
    std::int32_t record(int row) const { return items_[static_cast<std::size_t>(row)].record; }
    // The catalogue number of a row; 0 for an unnumbered object, which no
    // list, export or print numbers.
    std::int32_t number(int row) const { return record(row) + 1 > setup_.numbered ? 0 : record(row) + 1; }
    ElementRecord elements(int row) const { return cache_->record(record(row)); }
    // The value of a column: 0 the catalogue number, 2..10 the element, 11
    // the derived value; no value for the name.
    double value(int row, int column) const;

    // The text of a cell, through the record cache.
    std::string cellText(int row, int column);
    // The rows first..last are about to be shown: each is put in the cache.
    void cacheHint(int first, int last);
    // Text records read into the cache so far.
    long long recordLoads() const { return loads_; }
    // The 119-byte text record of a row (from the cache, read when absent).
    const char* rowText(int row);

    // Sorts the rows; the cache then holds the first 64 rows.
    void sort(int column, bool ascending);

    // The name and parenthesised suffix of the derived column, as Task Info,
    // the export and the print name it ("MOID  (-3)", "NC (5, ieps=50)",
    // "T_per (CD)"); empty without a derived column.
    std::string derivedTitle() const;
    // The three lines of Task Info: the filter, the records and function,
    // the object list (empty lines are not shown).
    std::array<std::string, 3> taskInfo() const;
    // The derived text of a row for output: its first 14 characters without
    // leading and trailing blanks.
    std::string outputDerivedText(int row) const;

private:
    void loadRow(int row);

    std::shared_ptr<const CatalogueCache> cache_;
    ElementListSetup setup_;
    std::vector<ElementListItem> items_;
    static constexpr int kSlots = 64;
    std::array<TextRecord, kSlots> slots_{};
    std::array<int, kSlots> slotRow_{};
    long long loads_ = 0;
    bool cancelled_ = false;
};

// The catalogue number as the list, the export and the print show it: "%6d",
// seven digits in seven characters; six blanks for an unnumbered object
// (number 0).
std::string number_text(std::int32_t number);

// Trims blanks on both sides.
std::string trimBlanks(std::string_view t);

}  // namespace zelvo::elements
