#pragma once
// The list converters: a MaLa game list (.mlg) or a Maximus Arcade list turned back into an XML
// file of the master file's records for the games it names.
#include <string>
#include <string_view>
#include <vector>

#include "UtilityCommon.h"

namespace vantor {

inline constexpr const char* kConvertLogName = "convertLog.txt";
inline constexpr const char* kMaximusOutputName = "tempXMLFile.xml";
inline constexpr const char* kListOpenError = "Error opening file for reading!?";
inline constexpr const char* kInvalidMalaList = "Invalid Mala game list file?!?";
inline const Message kConvertDone{MessageIcon::Information, "Your xml file has been created.\r\n",
                                  Advice::ListNewInputFile};
inline constexpr const char* kMalaNamesMissing =
    "Note!  At least one ROM name in the mlg file was not located in the master XML file.\r\nSee "
    "convertLog.txt "
    "for details.";

inline constexpr const char* kMalaListEndsEarly =
    "The mlg file ends early: it is cut short or damaged.\r\nThe games up to that point were converted.";

struct MalaList {
    // The file starts like a MaLa list and its header record is whole.
    bool valid = false;
    // A game record was cut short or held an unknown item; reading stopped there.
    bool damaged = false;
    // The first text of every game record, and of the damaged one when that text is whole.
    std::vector<std::string> romNames;
};
// Reads a .mlg file's bytes item by item; every length is checked against the end of the data.
[[nodiscard]] MalaList ReadMalaList(std::string_view data);

// The ROM names of a Maximus Arcade list ("[" entries "]"), in list order; an entry that occurs
// again is read once.
[[nodiscard]] std::vector<std::string> ReadMaximusRomNames(std::string text);

struct ConverterInputs {
    // The settings' input file: the records come from it.
    std::string inputPath;
    // The MaLa (.mlg) or Maximus list.
    std::string listPath;
    // The converted file; for the Maximus converter "" = tempXMLFile.xml in the system's
    // temporary folder.
    std::string outputPath;
    // Where convertLog.txt goes ("" = the current working directory).
    std::string logFolder;
};

std::string MaximusOutputPath();

// The MaLa conversion's first step, before its output is chosen: done when the list can be read
// and is a MaLa list, else a failure saying which. RunMalaToXml checks the same again.
[[nodiscard]] Outcome<UtilityOutput> CheckMalaList(const std::string& listPath);
[[nodiscard]] Outcome<UtilityOutput> RunMalaToXml(const ConverterInputs& inputs, ProgressSink& progress);
[[nodiscard]] Outcome<UtilityOutput> RunMaximusToXml(const ConverterInputs& inputs, ProgressSink& progress);

}  // namespace vantor
