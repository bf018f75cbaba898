// Windows recent lists and system folders: listing and removal.
