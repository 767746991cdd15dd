#pragma once
// "Batch File" comes in two forms: a shell script (LF line ends, executable) and a Windows batch
// file (CR LF, given the WindowsBatch option), each with a default template of its own.
namespace vantor {

enum class BatchForm { Shell, Windows };
inline constexpr const char* kShellBatchTemplate = "cp \"%ROM%.zip\" ~/roms/";
inline constexpr const char* kWindowsBatchTemplate = "copy %ROM%.zip c:\\mame\\roms";
inline constexpr const char* kShellScriptFirstLine = "#!/bin/sh\n";

inline const char* DefaultBatchTemplate(BatchForm form) {
    return form == BatchForm::Shell ? kShellBatchTemplate : kWindowsBatchTemplate;
}

}  // namespace vantor
