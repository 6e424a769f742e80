// The ephemeris task record: one fixed-column text record of 1418 single-byte
// characters that describes an ephemeris task (objects, coordinates and frame,
// centre and observer, interval, output form, restrictions, motion model,
// sources of typed orbits).
//
// The main program's set-up dialog builds and edits it and saves it as
// "eph.cfg"; the library's ephemeris driver reads it from there and the task
// check reads the copy "eph.cf1"; the O-C task keeps its orbit set-up in the
// same layout as "omc.cfg". Each of these files holds exactly the 1418 bytes,
// with no terminator and no line end; a file shorter than that counts as
// missing.
//
// Layout. Codes, names and file names are left-justified and blank-padded to
// the field width. Numbers the user types are kept as texts, as the field
// checks left them (cut or blank-padded to the field width); readers convert
// them. One- and two-digit integer fields hold right-justified decimal digits;
// a blank digit reads as zero. Offsets are 0-based byte offsets (column =
// offset + 1); repeated fields are `count` elements of `width` bytes.
//
// Restrictions are kept in four blocks of ten entries: block 1 rectangular,
// 2 equator, 3 ecliptic, 4 horizon; entry 10 (block - 1) + quantity (quantity
// 1-10) holds a switch ('1' off, '2' on) and a lower and an upper bound text
// of ten characters (blank = no bound).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "io/status.h"

namespace zelvomat {

struct RecordField {
    std::size_t offset;
    std::size_t width;      // width of one element
    std::size_t count = 1;  // elements of a repeated field
    constexpr std::size_t size() const { return width * count; }
    constexpr std::size_t end() const { return offset + size(); }
    // Element i (1-based) of a repeated field.
    constexpr RecordField element(int i) const { return {offset + static_cast<std::size_t>(i - 1) * width, width, 1}; }
};

namespace eph_field {
// clang-format off
//                                          offset width count   columns  content
inline constexpr RecordField objectKey           {   0,  4 };   //    1-4    NUMB NAME OPPO LIST EELM FELM XXYZ FXYZ (omc.cfg also ZELV)
inline constexpr RecordField firstNumber         {   4,  6 };   //    5-10   first catalogue number (NUMB)
inline constexpr RecordField lastNumber          {  10,  6 };   //   11-16   last catalogue number (NUMB)
inline constexpr RecordField objectName          {  16, 18 };   //   17-34   object name or number (NAME)
inline constexpr RecordField firstOpposition     {  34, 10 };   //   35-44   YYYYMMDD.d (OPPO)
inline constexpr RecordField lastOpposition      {  44, 10 };   //   45-54   YYYYMMDD.d (OPPO)
inline constexpr RecordField objectListFile      {  54, 80 };   //   55-134  object list file (LIST)
inline constexpr RecordField headingsSwitch      { 134,  4 };   //  135-138  ISHD, or NOHD to reject solitary headings
inline constexpr RecordField coordinateType      { 138,  3 };   //  139-141  SPH REC
inline constexpr RecordField positionKind        { 141,  3 };   //  142-144  AST GMT APP
inline constexpr RecordField mainPlane           { 144,  3 };   //  145-147  EQT ECL HRZ
inline constexpr RecordField equinox             { 147,  4 };   //  148-151  2000 1950 INST
inline constexpr RecordField centreIndex         { 151,  2 };   //  152-153  0-13 right-justified (13: number in file "minor")
inline constexpr RecordField observerKind        { 153,  3 };   //  154-156  GEO TOP
inline constexpr RecordField observerMode        { 156,  1 };   //  157      1 code, 2 code and place, 3 lon/dxy/dz, 4 lon/lat/height
inline constexpr RecordField observatoryCode     { 157,  3 };   //  158-160  (modes 1, 2)
inline constexpr RecordField placeName           { 160, 50 };   //  161-210  (mode 2)
inline constexpr RecordField siteLongitude       { 210,  9 };   //  211-219  degrees (mode 3)
inline constexpr RecordField rhoCosPhi           { 219,  8 };   //  220-227  parallax constant dxy (mode 3)
inline constexpr RecordField rhoSinPhi           { 227,  9 };   //  228-236  parallax constant dz (mode 3)
inline constexpr RecordField geoLongitude        { 236,  9 };   //  237-245  degrees (mode 4)
inline constexpr RecordField geoLatitude         { 245,  9 };   //  246-254  degrees (mode 4)
inline constexpr RecordField geoHeight           { 254,  9 };   //  255-263  metres (mode 4)
inline constexpr RecordField intervalKind        { 263,  4 };   //  264-267  NOPP ARBT
inline constexpr RecordField oppositionYear      { 267,  4 };   //  268-271  (NOPP)
inline constexpr RecordField coverage            { 271,  3 };   //  272-274  days: 120 100 " 80" " 60" " 40" " 20" (NOPP)
inline constexpr RecordField oppositionStep      { 274,  9 };   //  275-283  days (NOPP)
inline constexpr RecordField beginDate           { 283, 14 };   //  284-297  yyyymmdd.ddddd or Julian date (ARBT)
inline constexpr RecordField endDate             { 297, 14 };   //  298-311  (ARBT)
inline constexpr RecordField intervalStep        { 311,  9 };   //  312-320  days (ARBT)
inline constexpr RecordField outputKind          { 320,  3 };   //  321-323  EMP POS PSV
inline constexpr RecordField restrictionSwitch   { 323,  1, 40 };  //  324-363  '1' off, '2' on
inline constexpr RecordField lowerBound          { 363, 10, 40 };  //  364-763  blank = no bound
inline constexpr RecordField upperBound          { 763, 10, 40 };  //  764-1163
inline constexpr RecordField restrictionMode     {1163,  1 };   // 1164      0-8, see restriction_mode_digit
inline constexpr RecordField motionModel         {1164,  1 };   // 1165      0 elliptic, 1 nodes, 2 integration
inline constexpr RecordField perturbers          {1165,  1, 12 };  // 1166-1177 Me Ve E+M Ma Ju Sa Ur Ne Pl Ceres Pallas Vesta
inline constexpr RecordField relativisticSun     {1177,  1 };   // 1178      0 off, 1 on
inline constexpr RecordField elementOrder        {1178,  2, 10 };  // 1179-1198 column order of the typed element orbit
inline constexpr RecordField coordinateOrder     {1198,  2, 10 };  // 1199-1218 column order of the typed coordinate orbit
inline constexpr RecordField elementListFile     {1218, 80 };   // 1219-1298 file of element orbits (FELM)
inline constexpr RecordField elementListOrder    {1298,  2, 10 };  // 1299-1318
inline constexpr RecordField coordinateListFile  {1318, 80 };   // 1319-1398 file of coordinate orbits (FXYZ)
inline constexpr RecordField coordinateListOrder {1398,  2, 10 };  // 1399-1418
// clang-format on
}  // namespace eph_field

class EphTaskRecord {
public:
    static constexpr std::size_t kLength = 1418;
    static constexpr int kBlocks = 4;       // restriction blocks
    static constexpr int kQuantities = 10;  // quantities per block
    static constexpr std::size_t kBoundWidth = 10;

    // 1418 blanks.
    EphTaskRecord();
    // The record a new task starts from: all blank, then
    // NUMB 1 to 1, ISHD, SPH AST EQT 2000, centre " 3" (Earth), GEO mode 1
    // code " 95", ARBT 20010101.00000 to 20010111.00000 step 1.0000000, EMP,
    // all restriction switches '1', restriction mode '2', nodes model with
    // every perturber on ("1111111111111" in columns 1165-1177), no
    // relativistic term, the standard column orders and the list files
    // "Eleml.txt" and "Coord.txt".
    static EphTaskRecord defaults();
    // The O-C task's record when "omc.cfg" is missing or short: all blank, then
    // the motion model, perturbers, relativistic term, column orders and list
    // files as in defaults(); objectKey "ZELV" (orbits of the catalogue).
    static EphTaskRecord oc_defaults();
    // The record from bytes; fails when fewer than kLength bytes are given
    // (bytes past kLength are ignored).
    static Result<EphTaskRecord> from_bytes(std::span<const std::uint8_t> bytes);

    std::span<const char, kLength> text() const { return buf_; }
    std::span<const std::uint8_t> bytes() const;

    // The field as stored (blank padding kept); a repeated field whole.
    std::string_view get(RecordField f) const;
    // A one-character field.
    char get_char(RecordField f) const { return buf_[f.offset]; }
    // An integer field; a blank digit reads as zero; an error for anything
    // else than digits, blanks and one sign.
    Result<std::int64_t> get_int(RecordField f) const;

    // Left-justified, blank-padded and cut to the field size (the rule for
    // codes and for typed numbers, which the field checks already cut).
    void set(RecordField f, std::string_view text);
    // For names and file names: refused, and the field left as it was, when
    // the text (without trailing blanks) does not fit; never cut.
    Status set_name(RecordField f, std::string_view text);
    // Right-justified decimal digits; refused when the number does not fit.
    Status set_int(RecordField f, std::int64_t value);

    // Restriction entries (block 1-4, quantity 1-10). A block or quantity
    // outside these ranges is a programming error: std::out_of_range.
    static RecordField switch_field(int block, int quantity);
    static RecordField lower_field(int block, int quantity);
    static RecordField upper_field(int block, int quantity);
    char restriction_switch(int block, int quantity) const { return get_char(switch_field(block, quantity)); }
    std::string_view lower_bound(int block, int quantity) const { return get(lower_field(block, quantity)); }
    std::string_view upper_bound(int block, int quantity) const { return get(upper_field(block, quantity)); }

    // ---- What the set-up dialog's store of its pages writes ----------------
    // Object choice: key and the fields of that choice; the fields of the
    // other choices keep their content. The keys of typed orbits (EELM, FELM,
    // XXYZ, FXYZ) are set by the orbit choice itself: store nothing for them.
    void store_numbers(std::string_view first, std::string_view last);      // NUMB
    void store_object_name(std::string_view name);                          // NAME
    void store_oppositions(std::string_view first, std::string_view last);  // OPPO
    Status store_object_list(std::string_view file_name);                   // LIST
    // Coordinates and main plane: always.
    void store_frame(std::string_view coordinate_type, std::string_view position_kind, std::string_view main_plane,
                     std::string_view equinox);
    // Centre and observer. centre_index 0-13 (0-9 written as a blank and the
    // digit); observer_kind "GEO"/"TOP" and observer_mode 1-4 are always
    // written; for "TOP" the fields of the mode: 1 code; 2 code and place;
    // 3 longitude, dxy, dz; 4 longitude, latitude, height. The file "minor" of
    // centre 13 is written separately (write_minor_file).
    struct ObserverEntry {
        std::string_view code, place;
        std::string_view site_longitude, rho_cos_phi, rho_sin_phi;
        std::string_view geo_longitude, geo_latitude, geo_height;
    };
    Status store_centre(int centre_index, std::string_view observer_kind, int observer_mode,
                        const ObserverEntry& entry);
    // Interval: kind and the fields of that kind.
    void store_opposition_interval(std::string_view year, std::string_view coverage_days,
                                   std::string_view step);  // NOPP
    void store_arbitrary_interval(std::string_view begin, std::string_view end,
                                  std::string_view step);  // ARBT
    void store_output(std::string_view output_kind);
    // Restrictions, after the frame and the output are stored. The digit is
    // base (restriction_base of the stored codes) + 4 when restrictions are
    // set, else base. Only when the digit is above 4: headingsSwitch (NOHD when
    // solitary headings are rejected, else ISHD), and the ten switches of the
    // block `base` are set to '1', then each entry that is on gets '2' and its
    // bound texts. Other blocks keep their content. Returns the digit.
    struct RestrictionEntry {
        bool on = false;
        std::string_view lower, upper;
    };
    int store_restrictions(bool restricted, bool reject_solitary,
                           std::span<const RestrictionEntry, kQuantities> entries);
    // Motion model '0', '1' or '2': always; for integration ('2') also the 12
    // perturber digits and the relativistic digit, which otherwise keep their
    // content.
    void store_motion(char model, std::string_view perturber_digits, char relativistic_sun);

    // 0 for "REC" with "EMP", 1 for "REC" otherwise, 2 "EQT", 3 "ECL", 4 "HRZ";
    // 0 for any other plane.
    static int restriction_base(std::string_view coordinate_type, std::string_view main_plane,
                                std::string_view output_kind);

    friend bool operator==(const EphTaskRecord&, const EphTaskRecord&) = default;

private:
    std::array<char, kLength> buf_;
};

// ---- Files of the working directory ----------------------------------------
// Each holds the kLength bytes of the record. Loading fails (the caller offers
// a new record or fills defaults) when the file cannot be read or is shorter
// than kLength bytes. Saving creates or replaces the file.
Result<EphTaskRecord> load_task_record(const std::string& path);
Status save_task_record(const std::string& path, const EphTaskRecord& rec);

Result<EphTaskRecord> load_eph_task();            // "eph.cfg"
Status save_eph_task(const EphTaskRecord& rec);   // "eph.cfg"
Result<EphTaskRecord> load_eph_check();           // "eph.cf1"
Status save_eph_check(const EphTaskRecord& rec);  // "eph.cf1"
void remove_eph_check();                          // deletes "eph.cf1"
Result<EphTaskRecord> load_oc_task();             // "omc.cfg"
Status save_oc_task(const EphTaskRecord& rec);    // "omc.cfg"
// "omc.cfg" as the O-C views load it: oc_defaults() when the file is missing
// or short; objectKey "ZELV" in every case.
EphTaskRecord load_oc_task_or_defaults();

// "minor": the catalogue number of a minor-object centre (centre index 13),
// one line without a line end, as typed.
Status write_minor_file(std::string_view number_text);
Result<std::string> read_minor_file();

}  // namespace zelvomat
