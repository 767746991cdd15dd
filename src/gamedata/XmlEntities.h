#pragma once
// XML entity handling of records and of the values written back into XML.
#include <string>
#include <string_view>

namespace vantor {

// Applied to every record as it is read: &amp; &lt; &gt; &apos; everywhere (in that order), and
// &quot; in the text between tags. Inside a tag &quot; stays, so that an attribute value still
// ends at the next double quote; the field operations decode it in the values they return.
void DecodeEntities(std::string& text);
// For one value written into an XML attribute or element: & < > ' " are escaped; character and
// entity references already in the value are kept.
void EncodeEntities(std::string& value);
// EncodeEntities on a copy.
std::string EncodedEntities(std::string value);
// OneLineText as the text of an XML element: every "&", "<" and ">" escaped (a value holds no
// references, only text).
std::string XmlOneLineText(std::string_view value);

}  // namespace vantor
