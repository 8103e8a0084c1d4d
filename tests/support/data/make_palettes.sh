#!/bin/sh
# Writes raw768.pal, a raw palette of 256 red-green-blue entries as printf makes it: entry i is
# (i, 255 - i, 7 * i mod 256). Run from this folder.
i=0
while [ "$i" -lt 256 ]; do
  printf "\\$(printf %03o "$i")\\$(printf %03o $((255 - i)))\\$(printf %03o $((i * 7 % 256)))"
  i=$((i + 1))
done > raw768.pal
