@echo off
echo Hello from the Vantrell author example.
