#pragma once
// Process-wide memory tuning for page-sized buffers.

namespace velto::platform {

// Pages are rendered one after another into surfaces and read-outs of tens of megabytes. By default
// the C library hands blocks that large back to the kernel when they are freed, and the next page
// pays for fresh zeroed memory again, one page fault per 4 KiB. Called once at start-up, this keeps
// freed page buffers in the heap for the next page; peak memory stays that of the largest page.
void KeepPageBuffersBetweenPages();

}  // namespace velto::platform
