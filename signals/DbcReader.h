#pragma once
// Reading DBC text, the signal database format of the bus tools. Statements, in any order
// (names are C identifiers, "..." strings with \" for a quote, numbers decimal):
//
//   VERSION "text"
//   NS_ : NAME ...                          names of the statements the file may use (until BS_/BU_/BO_)
//   BS_ : [BAUD : BTR1 , BTR2]
//   BU_ : NODE ...
//   VAL_TABLE_ NAME { VALUE "text" } ;
//   BO_ ID NAME : SIZE TRANSMITTER          ID decimal; bit 31 set = 29-bit identifier
//    SG_ NAME [M | mN | mNM] : START|LENGTH@ORDER SIGN (FACTOR,OFFSET) [MIN|MAX] "UNIT" RECEIVER{,RECEIVER}
//                                           ORDER 0 Motorola, 1 Intel; SIGN + unsigned, - signed;
//                                           the receivers end with the line
//   BO_TX_BU_ ID : NODE {, NODE} ;
//   CM_ ["text" | BU_ NODE "text" | BO_ ID "text" | SG_ ID NAME "text" | EV_ NAME "text"] ;
//   BA_DEF_ [BU_ | BO_ | SG_ | EV_] "ATTR" (INT|HEX|FLOAT MIN MAX | STRING | ENUM "a" {, "b"}) ;
//   BA_DEF_DEF_ "ATTR" VALUE ;
//   BA_ "ATTR" [BU_ NODE | BO_ ID | SG_ ID NAME | EV_ NAME] VALUE ;   VALUE: number or "text"
//   VAL_ ID NAME { VALUE "text" } ;
//   SIG_VALTYPE_ ID NAME : 1|2 ;            1 IEEE float (32 bits), 2 IEEE double (64 bits)
//   SG_MUL_VAL_ ID NAME SWITCH FIRST-LAST {, FIRST-LAST} ;
//
//   BO_ 2566844926 Gateway: 8 GW          -> 29-bit identifier 0x18FEF1FE (bit 31 removed)
//    SG_ Temp m2 : 15|12@0- (0.1,-40) [-40|150] "°C" Dash,Log
//
// Every other statement (EV_, ENVVAR_DATA_, SGTYPE_, SIG_GROUP_, BA_DEF_REL_, ...) is read
// over to its ';' and counted. Of the attributes, GenMsgCycleTime, GenSigStartValue and
// VFrameFormat are used.
//
// The text is Windows-1252, as DBC editors write it, unless it starts with a UTF-8 byte-order
// mark. A file that breaks the grammar is refused whole with "FILE:LINE:COLUMN: expected ...".
// A signal that cannot be decoded (length 0 or over 64, bits outside the 8 data bytes, factor
// 0, a float of the wrong length, a selector that is missing or selects in a circle) is left
// out with a warning naming it; a message over 8 bytes or in a CAN FD frame format is kept,
// not decoded, with a warning; the first of two definitions of an identifier wins.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "signals/DbcDatabase.h"

// A DBC text that cannot be read; what() is "FILE:LINE:COLUMN: expected ...".
class EDbcError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The whole text of a file named fileName (used in the messages). Throws EDbcError.
[[nodiscard]] TDbcDatabase ParseDbc(std::string_view text, const std::string& fileName);

// Reads a file from disk: the database, or the reason it could not be read.
struct TDbcRead {
  std::optional<TDbcDatabase> Database;
  std::string Error;
};
[[nodiscard]] TDbcRead ReadDbcFile(const std::string& path);
