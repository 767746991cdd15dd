#pragma once
// XML entity handling of records and of the values written back into XML.
#include <string>

namespace vantor {

// Applied to every record as it is read: &amp; &lt; &gt; &apos; (in that order).
void DecodeEntities(std::string& text);
// For one value written into an XML attribute or element.
void EncodeEntities(std::string& value);
// For a whole record written back: markup stays, doubled brackets and <unknown> are escaped.
void EncodeRecordEntities(std::string& record);

}  // namespace vantor
