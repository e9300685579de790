// File operations of the conversion engine that must hold up against crashes,
// full disks, links and other instances.
#pragma once

#include "AtomicReplace.h"
#include "FileOutcome.h"
#include "SourceCheck.h"
#include "StagedFile.h"
#include "WorkFolder.h"
