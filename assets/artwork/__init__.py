"""Vexillor's artwork, drawn procedurally with Pillow and fixed random seeds.

One module per picture family, over the shared helpers in `paint` and the
window geometry in `layout`; `make_assets.py` beside this package runs them all.
"""
