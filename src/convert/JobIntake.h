#pragma once
// Receiving the print job: standard input copied byte for byte into the job file in the private
// temporary folder, and the first output name taken from the job's title line.

#include <filesystem>

#include "convert/JobState.h"
#include "convert/Services.h"

namespace vellumor::convert {

// Reads the job from `input` (a file descriptor; a terminal counts as no job) and forms
// `OutputFileName`. Sets `NoJobData` when the input delivered nothing.
void ReceivePrintJob(JobState& state, const Services& services, int input);

// True when the job file can be opened for reading.
bool JobFileExists(const JobState& state);

// Deletes the job file, retrying while it is busy (up to 100 tries, 10 ms apart).
bool DeleteJobFile(const JobState& state);

// Removes the job file and every reservation this process made.
void RemoveTemporaryFiles(JobState& state);

}  // namespace vellumor::convert
