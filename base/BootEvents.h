#pragma once
// What the engine reports to a face about transfers and servers.

// The transfer slots a face shows: wParam 0 to 4 of WM_BOOT_TEXT and WM_BOOT_PROGRESS.
constexpr int BOOT_VISIBLE_SLOTS = 5;

// wParam of WM_BOOT_TEXT below the slots.
constexpr int BOOT_SLOT_LOG = -1;
constexpr int BOOT_EVENT_TRANSFER_STARTED = -2;
constexpr int BOOT_EVENT_TRANSFER_DONE = -3;
constexpr int BOOT_EVENT_TRANSFER_FAILED = -4;
constexpr int BOOT_EVENT_SERVERS_STARTED = -5;
constexpr int BOOT_EVENT_SERVERS_HALTED = -6;
