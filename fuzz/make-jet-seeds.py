#!/usr/bin/python3
"""Writes the fuzz seeds of the Access reader from the Access-written fixtures.

The fixtures are too large to mutate well, so each seed is the front of one:
the pages that hold the catalog and one small table. In the Jet 3 file two
catalog pages lie far back; their bits are cleared from the catalog's page
map, so the seed's catalog ends at the cut (the tables listed there vanish),
and one listed table is pointed at a definition inside the cut.

Usage: make-jet-seeds.py SHARED_FIXTURES_JET_DIR OUTPUT_DIR
"""
import os
import sys

src, out = sys.argv[1], sys.argv[2]
os.makedirs(out, exist_ok=True)

# Jet 4: page 17 is the catalog, 18 and 20 the table DateTest.
with open(os.path.join(src, 'DateTestDatabase.mdb'), 'rb') as f:
    jet4 = f.read(21 * 4096)
with open(os.path.join(out, 'jet4-datetest.mdb'), 'wb') as f:
    f.write(jet4)

# Jet 3: pages 18, 19 and 22 hold the front of the catalog, 23 and 32 the
# table Categories. The catalog's page map is row 0 of page 6.
page = 2048
with open(os.path.join(src, 'nwind.mdb'), 'rb') as f:
    jet3 = bytearray(f.read(33 * page))
map_row = 6 * page + 1915  # type 0, first page 0, then one bit a page
assert jet3[map_row] == 0 and int.from_bytes(jet3[map_row + 1:map_row + 5], 'little') == 0
for far in (548, 713):
    jet3[map_row + 5 + far // 8] &= ~(1 << (far % 8)) & 0xFF
# The catalog row of Shippers (on page 22) is pointed at the definition of
# Categories, so that the seed holds one table with every kind of value.
shippers_id = 22 * page + 159
assert int.from_bytes(jet3[shippers_id:shippers_id + 4], 'little') == 581
jet3[shippers_id:shippers_id + 4] = (23).to_bytes(4, 'little')
with open(os.path.join(out, 'jet3-categories.mdb'), 'wb') as f:
    f.write(jet3)
