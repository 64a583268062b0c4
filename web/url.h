#pragma once

// Splitting of a URL into server name, port and object path. Only "http://" is taken as a
// scheme; a URL without a scheme starts with its host. Searches step over double-byte GBK
// characters and only ASCII letters are folded.

#include <string>
#include <string_view>

namespace miyoutong {

// The server name, ASCII capitals turned into small letters: "http://Host:81/a" -> "host".
std::string UrlHost(std::string_view url);

// The port after the first ":" of the host part, read as a decimal number (80 when there is no
// ":"). No range test: an empty or non-numeric port text reads as 0.
int UrlPort(std::string_view url);

// The URL from the first "/" behind the host to its end, query included; "/" when there is none.
std::string UrlObject(std::string_view url);

}  // namespace miyoutong
