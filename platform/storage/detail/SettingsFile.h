#pragma once
// The settings store's file, read and written by this code alone.
//
// The layout is the INI form the store has always had (so files written
// before stay readable): a section per root key, "[r80000001]", holding
// lines "kkey\ksub\_=value" whose names are made of [A-Za-z0-9_] joined by
// '\'. A value is a string: blanks around it and double quotes inside it are
// no part of it; escapes are \\ \" \a \b \f \n \r \t \v, \x<hex digits> and
// \<octal digits> (any count, the low 16 bits give a UTF-16 unit); a value
// starting with '@' is written "@@..."; "@String(...)" holds a string.
//
// The reader accepts exactly that and nothing else: any other typed "@..."
// value, a list (an unquoted ','), a comment, a line without '=', a name
// with other characters or text before the first section makes the whole
// file unreadable (Parse returns false), so a file this store did not write
// is never taken apart by guesswork and never overwritten.
#include <map>
#include <string>

namespace qel::detail {

// Full keys ("r80000001/ksoftware/_") to values, in key order.
using SettingsMap = std::map<std::string, std::string>;

bool ParseSettingsFile(const std::string& Bytes, SettingsMap& Result);
std::string SerializeSettingsFile(const SettingsMap& Values);

}  // namespace qel::detail
