#pragma once
// The files audited games lack as a Logiqx datafile, the XML that ROM managers read to complete a
// collection: one <game> per set with the <rom> and <disk> entries it is missing.
#include <string>

#include "romset/AuditRun.h"

namespace vantor {

// The games' missing and wrong files (those the audit names in its detail), each under the set
// that holds it as its own; a datafile with no game when nothing is missing.
std::string FixdatXml(const FileAudit& audit, const std::string& name);

}  // namespace vantor
