#!/usr/bin/env bash
mkdir -p "$1"
