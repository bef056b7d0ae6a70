#pragma once

// Start-up, the frame loop and shutdown. Returns the process exit code.
int runGame();
