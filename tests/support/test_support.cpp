// Shared helpers for the GUI and end-to-end tests.
