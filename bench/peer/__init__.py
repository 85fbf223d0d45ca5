"""Helpers of compare_peer.py: private servers, client launchers, /proc counters, X11."""
