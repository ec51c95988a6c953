// Comma text: a list of items joined with ",". An item holding a blank, a
// control character, a double quote or a comma is written between double
// quotes with its quotes doubled. Reading skips codes 1-32 around items; a
// quoted item runs to the next undoubled quote, any other to the next comma or
// code 32 or below; a comma that ends the text adds one empty item.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantrell {

std::vector<std::string> ReadCommaText(std::string_view text);

void AppendCommaItem(std::string& out, std::string_view item);

std::string WriteCommaText(const std::vector<std::string>& items);

}  // namespace vantrell
