#!/usr/bin/env python3
"""Writes the robot and wheel models in assets/objects/ as Wavefront OBJ files.

    python3 tools/make_models.py

Pure arithmetic, no randomness: every run writes the same bytes.

Units and axes: y is up, the robot drives towards -z. The robot's physics is a capsule of
radius 1.5 whose centre rests about 1.6 above the ground; the game draws the robot's pieces
1 unit below that centre, so y = -0.6 in these files is the ground. The wheels are drawn at
(+-2.7, 0.5, 1.5) from their carriers and roll about x; with radius 1.1 they meet the ground.

roboterWheelCentered.obj holds three objects, and the game relies on their order:
  0 "leftCarrier"  - axle bracket on the left (-x); only its position is used
  1 "body"         - everything that is drawn: hull, sensor head, antenna, caster
  2 "rightCarrier" - axle bracket on the right (+x)
wheel.obj holds one object, a tyre with hub centred on the origin, axle along x.
Each object is one mesh: there is no material library, so nothing splits an object.
"""

import math
import os

GROUND_Y = -0.6
WHEEL_RADIUS = 1.1
WHEEL_WIDTH = 0.6
WHEEL_OFFSET = (2.7, 0.5, 1.5)


class Mesh:
    def __init__(self, name):
        self.name = name
        self.positions = []
        self.normals = []
        self.uvs = []
        self.faces = []  # lists of (position, uv, normal) indices, 0-based in this mesh

    def vertex(self, position, uv, normal):
        self.positions.append(position)
        self.uvs.append(uv)
        self.normals.append(normal)
        return len(self.positions) - 1

    def face(self, corners):
        """corners: list of (position, uv, normal); counter-clockwise seen from outside."""
        self.faces.append([self.vertex(*corner) for corner in corners])


def add(a, b):
    return tuple(x + y for x, y in zip(a, b))


def box(mesh, center, size, uv_scale=(1.0, 1.0)):
    """An axis-aligned box; each face maps the whole texture once (times uv_scale)."""
    cx, cy, cz = center
    w, h, d = size[0] / 2, size[1] / 2, size[2] / 2
    u, v = uv_scale
    faces = [
        ((0, 0, 1), [(-w, -h, d), (w, -h, d), (w, h, d), (-w, h, d)]),
        ((0, 0, -1), [(w, -h, -d), (-w, -h, -d), (-w, h, -d), (w, h, -d)]),
        ((1, 0, 0), [(w, -h, d), (w, -h, -d), (w, h, -d), (w, h, d)]),
        ((-1, 0, 0), [(-w, -h, -d), (-w, -h, d), (-w, h, d), (-w, h, -d)]),
        ((0, 1, 0), [(-w, h, d), (w, h, d), (w, h, -d), (-w, h, -d)]),
        ((0, -1, 0), [(-w, -h, -d), (w, -h, -d), (w, -h, d), (-w, -h, d)]),
    ]
    uvs = [(0, 0), (u, 0), (u, v), (0, v)]
    for normal, corners in faces:
        mesh.face([(add((cx, cy, cz), c), t, normal) for c, t in zip(corners, uvs)])


def cylinder_x(mesh, center, radius, length, segments, caps=True, tread_repeats=1.0):
    """A cylinder along x. The side maps u around the rim and v across it; the caps map a
    disc of the texture."""
    cx, cy, cz = center
    half = length / 2

    def ring(i):
        a = 2 * math.pi * i / segments
        return math.cos(a), math.sin(a)

    for i in range(segments):
        c0, s0 = ring(i)
        c1, s1 = ring(i + 1)
        u0, u1 = tread_repeats * i / segments, tread_repeats * (i + 1) / segments
        p = lambda x, c, s: (cx + x, cy + radius * s, cz + radius * c)
        n = lambda c, s: (0.0, s, c)
        # Side quad with outward normals, counter-clockwise seen from outside.
        mesh.face([(p(half, c1, s1), (u1, 1), n(c1, s1)), (p(-half, c1, s1), (u1, 0), n(c1, s1)),
                   (p(-half, c0, s0), (u0, 0), n(c0, s0)), (p(half, c0, s0), (u0, 1), n(c0, s0))])
        if caps:
            disc = lambda c, s: (0.5 + 0.5 * c, 0.5 + 0.5 * s)
            mesh.face([((cx + half, cy, cz), (0.5, 0.5), (1, 0, 0)),
                       (p(half, c1, s1), disc(c1, s1), (1, 0, 0)),
                       (p(half, c0, s0), disc(c0, s0), (1, 0, 0))])
            mesh.face([((cx - half, cy, cz), (0.5, 0.5), (-1, 0, 0)),
                       (p(-half, c0, s0), disc(c0, s0), (-1, 0, 0)),
                       (p(-half, c1, s1), disc(c1, s1), (-1, 0, 0))])


def cylinder_y(mesh, center, radius, height, segments):
    """A closed upright cylinder (an antenna mast, a sensor lens turned upwards)."""
    cx, cy, cz = center
    half = height / 2
    for i in range(segments):
        a0, a1 = 2 * math.pi * i / segments, 2 * math.pi * (i + 1) / segments
        p = lambda a, y: (cx + radius * math.sin(a), cy + y, cz + radius * math.cos(a))
        n = lambda a: (math.sin(a), 0.0, math.cos(a))
        u0, u1 = i / segments, (i + 1) / segments
        mesh.face([(p(a0, -half), (u0, 0), n(a0)), (p(a1, -half), (u1, 0), n(a1)),
                   (p(a1, half), (u1, 1), n(a1)), (p(a0, half), (u0, 1), n(a0))])
        mesh.face([((cx, cy + half, cz), (0.5, 0.5), (0, 1, 0)), (p(a0, half), (0, 0), (0, 1, 0)),
                   (p(a1, half), (1, 0), (0, 1, 0))])
        mesh.face([((cx, cy - half, cz), (0.5, 0.5), (0, -1, 0)), (p(a1, -half), (1, 0), (0, -1, 0)),
                   (p(a0, -half), (0, 0), (0, -1, 0))])


def cylinder_z(mesh, center, radius, length, segments):
    """A closed cylinder along z (the sensor eyes, looking towards -z)."""
    cx, cy, cz = center
    half = length / 2
    for i in range(segments):
        a0, a1 = 2 * math.pi * i / segments, 2 * math.pi * (i + 1) / segments
        p = lambda a, z: (cx + radius * math.cos(a), cy + radius * math.sin(a), cz + z)
        n = lambda a: (math.cos(a), math.sin(a), 0.0)
        u0, u1 = i / segments, (i + 1) / segments
        mesh.face([(p(a1, -half), (u1, 0), n(a1)), (p(a1, half), (u1, 1), n(a1)),
                   (p(a0, half), (u0, 1), n(a0)), (p(a0, -half), (u0, 0), n(a0))])
        disc = lambda a: (0.5 + 0.5 * math.cos(a), 0.5 + 0.5 * math.sin(a))
        mesh.face([((cx, cy, cz - half), (0.5, 0.5), (0, 0, -1)), (p(a1, -half), disc(a1), (0, 0, -1)),
                   (p(a0, -half), disc(a0), (0, 0, -1))])
        mesh.face([((cx, cy, cz + half), (0.5, 0.5), (0, 0, 1)), (p(a0, half), disc(a0), (0, 0, 1)),
                   (p(a1, half), disc(a1), (0, 0, 1))])


def sphere(mesh, center, radius, rings=6, segments=8):
    for k in range(rings):
        t0, t1 = math.pi * k / rings, math.pi * (k + 1) / rings
        for j in range(segments):
            f0, f1 = 2 * math.pi * j / segments, 2 * math.pi * (j + 1) / segments
            def corner(t, f):
                n = (math.sin(t) * math.cos(f), math.cos(t), -math.sin(t) * math.sin(f))
                return (add(center, tuple(radius * x for x in n)), (f / (2 * math.pi), t / math.pi), n)
            quad = [corner(t0, f0), corner(t1, f0), corner(t1, f1), corner(t0, f1)]
            if k == 0:
                quad = [quad[0], quad[1], quad[2]]
            elif k == rings - 1:
                quad = [quad[0], quad[1], quad[3]]
            mesh.face(quad)


def carrier(name, side):
    """An axle bracket hanging down beside the hull towards the wheel."""
    mesh = Mesh(name)
    x = side * 2.3
    box(mesh, (x, 0.5, 1.5), (0.3, 0.8, 0.8))
    box(mesh, (x, 1.0, 0.9), (0.3, 0.3, 1.6))
    return mesh


def robot_body():
    mesh = Mesh("body")
    # Hull: a lower chassis and a narrower upper deck.
    box(mesh, (0.0, 0.55, 0.0), (4.2, 1.3, 5.0))
    box(mesh, (0.0, 1.45, 0.4), (3.4, 0.5, 3.6))
    # Bumper across the front.
    box(mesh, (0.0, 0.2, -2.65), (4.0, 0.4, 0.3))
    # Axle stubs from the hull out to the wheels.
    cylinder_x(mesh, (2.3, 0.5, 1.5), 0.25, 0.4, 12)
    cylinder_x(mesh, (-2.3, 0.5, 1.5), 0.25, 0.4, 12)
    # Caster ball under the front, touching the ground.
    sphere(mesh, (0.0, GROUND_Y + 0.4, -1.8), 0.4)
    box(mesh, (0.0, -0.15, -1.8), (0.6, 0.3, 0.6))
    # Sensor head on a short neck, with two eyes looking forwards (-z).
    box(mesh, (0.0, 1.95, -0.8), (0.5, 0.5, 0.5))
    box(mesh, (0.0, 2.5, -0.9), (2.0, 0.8, 1.0))
    cylinder_z(mesh, (-0.5, 2.5, -1.45), 0.25, 0.2, 16)
    cylinder_z(mesh, (0.5, 2.5, -1.45), 0.25, 0.2, 16)
    # Antenna with a ball on its tip.
    cylinder_y(mesh, (1.1, 2.5, 1.6), 0.06, 1.6, 8)
    sphere(mesh, (1.1, 3.35, 1.6), 0.15)
    # Mower deck underneath, between the wheels.
    box(mesh, (0.0, -0.25, 0.2), (3.0, 0.2, 2.4))
    return mesh


def wheel():
    mesh = Mesh("wheel")
    cylinder_x(mesh, (0.0, 0.0, 0.0), WHEEL_RADIUS, WHEEL_WIDTH, 32, tread_repeats=4.0)
    # Hub caps on both sides so the roll is visible.
    cylinder_x(mesh, (WHEEL_WIDTH / 2 + 0.05, 0.0, 0.0), 0.45, 0.1, 6)
    cylinder_x(mesh, (-WHEEL_WIDTH / 2 - 0.05, 0.0, 0.0), 0.45, 0.1, 6)
    return mesh


def fmt(value):
    text = "%.5f" % value
    return "0.00000" if text == "-0.00000" else text


def write_obj(path, meshes, comment):
    lines = ["# " + comment, "# Written by tools/make_models.py; edit that script, not this file."]
    base = 1
    for mesh in meshes:
        lines.append("o " + mesh.name)
        lines += ["v %s %s %s" % tuple(fmt(x) for x in p) for p in mesh.positions]
        lines += ["vt %s %s" % tuple(fmt(x) for x in t) for t in mesh.uvs]
        lines += ["vn %s %s %s" % tuple(fmt(x) for x in n) for n in mesh.normals]
        for face in mesh.faces:
            lines.append("f " + " ".join("%d/%d/%d" % ((base + i,) * 3) for i in face))
        base += len(mesh.positions)
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "assets", "objects")
    os.makedirs(out, exist_ok=True)
    write_obj(os.path.join(out, "roboterWheelCentered.obj"),
              [carrier("leftCarrier", -1), robot_body(), carrier("rightCarrier", 1)],
              "Mowing robot: left wheel carrier, body, right wheel carrier (in this order).")
    write_obj(os.path.join(out, "wheel.obj"), [wheel()],
              "Robot wheel: radius %.1f, axle along x, centred on the origin." % WHEEL_RADIUS)
    print("models written to " + os.path.normpath(out))


if __name__ == "__main__":
    main()
