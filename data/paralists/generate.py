#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the parameter-list files ParaList_V<version><suffix>.def.

The table below is the one place that says which parameters make up the configuration of
each controller model and firmware version, and of the SMS module, with their names and
default values. The model counts (channels, timers, pumps, ...) come from the model table in
src/base/ModelInfo.cpp, so the lists always match the pages the program builds.

    generate.py            rewrite the files next to this script
    generate.py --out DIR  write them into DIR
    generate.py --check    exit 1 when a committed file differs from what the table gives

The files use the parameter text format: one line per parameter (number, quoted name,
value), repeated groups as [STARTBLOCK] ... [ENDBLOCK] with BLOCKCOUNT and BLOCKSIZE.
Live values, commands and test modes are not part of a configuration and are not listed.
"""

import argparse
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
MODEL_TABLE = os.path.join(ROOT, "src", "base", "ModelInfo.cpp")

CONTROLLER_VERSIONS = range(400, 409)
SMS_VERSIONS = range(400, 409)  # the firmware versions the emulator's SMS module offers
SMS_PRODUCT_CODE = 10
SMS_SUFFIX = "_SMS-Module"


class Model:
    def __init__(self, row):
        (self.product_code, self.sensor_types, self.display_name, self.level_channels,
         self.switch_plugs, self.interfaces, self.illumination, self.timers,
         self.dosing_pumps, self.suffix) = row


def read_models():
    """The rows of the model table, as the program itself uses them."""
    text = open(MODEL_TABLE, encoding="utf-8").read()
    row = re.compile(
        r'\{\s*(\d+)\s*,\s*\{\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*\}\s*,\s*\d+\s*,\s*\d+\s*,'
        r'\s*"([^"]*)"\s*,\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*,'
        r'\s*"([^"]*)"\s*\}')
    models = []
    for m in row.finditer(text):
        g = m.groups()
        models.append(Model((int(g[0]), [int(x) for x in g[1:5]], g[5], int(g[6]), int(g[7]),
                             int(g[8]), int(g[9]), int(g[10]), int(g[11]), g[12])))
    if len(models) != 7:
        sys.exit("generate.py: expected 7 rows in %s, found %d" % (MODEL_TABLE, len(models)))
    return models


# --- the lists -------------------------------------------------------------------------------

class Out:
    """Collects the lines of one file."""

    def __init__(self):
        self.lines = []

    def p(self, number, name, value):
        if isinstance(value, bytes):
            value = '"' + value.decode("latin-1") + '"'
        self.lines.append('%d, "%s", %s' % (number, name, value))

    def block(self, count, step, rows):
        """rows: (number, name, value) of copy 0; the file format numbers and names the copies."""
        if count <= 0 or not rows:
            return
        self.lines.append("[STARTBLOCK]")
        self.lines.append("BLOCKCOUNT = %d" % count)
        self.lines.append("BLOCKSIZE = %d" % step)
        for number, name, value in rows:
            self.p(number, name, value)
        self.lines.append("[ENDBLOCK]")

    def text(self):
        return "".join(line + "\r\n" for line in self.lines).encode("latin-1")


# Sensor types (see SensorTypeInfo): defaults of a sensor block in the type's raw units, by
# the block offset j (number 20*i+10+j for j < 20, 948+4*i+(j-20) for j >= 20). The emulator
# gives an input of another type (korvalis-emulator --sensors) its type's row from a twin of this
# table, CControllerDefaults::SensorBlock (src/device); ParameterLists_test keeps the two alike.
TEMPERATURE, PH, REDOX, COND_FRESH, COND_SEA, HUMIDITY, AIR_TEMPERATURE, OXYGEN, VOLTAGE = 1, 2, 3, 4, 5, 7, 8, 9, 10
SENSOR_DEFAULTS = {
    # j:      10    11    12    13  14   15   16 17   18    19   20 21 22  23   24  26 27  28  29 | 948 949 950 951
    0: None,
    TEMPERATURE: [200, 300, 1000, 1500, 1, 250, 50, 0, -10, 1320, 480, 0, 0, 10, 10, 20, 0, 60, 60, 0, 0, 20, 1],
    PH: [700, 400, 2000, 2600, 1, 820, 20, 0, -20, 1320, 480, 0, 0, 0, 100, 0, 0, 60, 60, 0, 0, 0, 1],
    REDOX: [200, 400, 1200, 2400, 1, 350, 20, 0, 0, 0, 0, 0, 0, 0, 100, 0, 0, 60, 60, 0, 0, 0, 1],
    COND_FRESH: [700, 1400, 1300, 2600, 1, 500, 20, 0, 0, 0, 0, 0, 0, 10, 100, 250, 0, 60, 60, 0, 0, 0, 1],
    COND_SEA: [200, 530, 1100, 2900, 1, 530, 10, 0, 0, 0, 0, 0, 0, 10, 50, 250, 0, 60, 60, 0, 0, 0, 1],
    HUMIDITY: [30, 80, 900, 2400, 1, 700, 20, 0, 50, 1320, 480, 0, 0, 0, 50, 0, 0, 60, 60, 0, 0, 0, 1],
    AIR_TEMPERATURE: [200, 300, 1000, 1500, 1, 250, 10, 0, -20, 1320, 480, 0, 0, 0, 20, 0, 0, 60, 60, 0, 0, 20, 1],
    OXYGEN: [0, 1000, 100, 3000, 1, 1000, 50, 0, 0, 0, 0, 0, 0, 10, 50, 250, 0, 60, 60, 0, 10, 100, 1],
    VOLTAGE: [0, 1000, 100, 3100, 1, 500, 10, 0, 0, 1320, 480, 0, 0, 0, 50, 0, 0, 60, 60, 0, 0, 0, 1],
}
SENSOR_OFFSETS = [j for j in range(24) if j != 15]  # 20*i+25 (the type) is fixed by the hardware


def sensor_number(i, j):
    return 20 * i + 10 + j if j < 20 else 928 + 4 * i + j


def sensors(out, model):
    for i in range(8):
        kind = model.sensor_types[i] if i < 4 else 0
        values = SENSOR_DEFAULTS.get(kind) or [0] * 22 + [1]
        for j, value in zip(SENSOR_OFFSETS, values):
            out.p(sensor_number(i, j), "CODE_SENSORPARA%dITEM%d" % (i, j), value)
        out.p(1002 + 4 * i, "CODE_SENSORPARA%d_OHM%d" % (i, i), 0)
    out.block(8, 1, [(1228, "SENSOR_USERNAME", b"")])


def socket_word(model, s):
    """Default function of socket s: a mix of what sockets do (lamps, timers, a heater and a
    cooler on the first temperature input, its alarm, a logic output, single functions)."""
    lamps = min(model.illumination, 4)
    timers = min(model.timers, 4)
    if s < lamps:
        return s << 5
    s -= lamps
    if s < timers:
        return 1 | (s << 5)
    s -= timers
    warm = next((i for i in range(4) if model.sensor_types[i] in (TEMPERATURE, AIR_TEMPERATURE)), None)
    extra = []
    if warm is not None:
        extra += [2 | (warm << 5), 3 | (warm << 5), 5 | (warm << 5)]
    extra += [9, 29, 28, 31]
    if s < len(extra):
        return extra[s]
    return 30  # single function: none


def controller_list(model, version):
    out = Out()
    code = model.product_code
    bdg = code in (3, 4, 8)  # models B, D and G

    out.p(0, "CODE_SOFTWAREVERSION", version)
    out.p(2, "CODE_PRODUCTID", code)
    out.p(6, "CODE_SERIALNUMBER", 0)

    # General page; the clock (170, 171) is a live value.
    for number, name, value in [(172, "GEN_OPTION_A", 1), (173, "GEN_OPTION_B", 1), (175, "GEN_OPTION_NUMBER", 1),
                                (176, "GEN_OPTION_BITS", 0), (177, "GEN_LATITUDE", 475), (178, "GEN_LONGITUDE", 85)]:
        out.p(number, name, value)
    if bdg:
        out.p(701, "GEN_CHOICE", 0)
        out.p(702, "GEN_TIME_A", 480)
        out.p(703, "GEN_TIME_B", 1200)

    # Display.
    sensor_mask = sum(1 << i for i in range(4) if model.sensor_types[i])
    out.p(770, "DISPLAY_VALUE", 10)
    out.p(771, "DISPLAY_MASK1", 255)
    out.p(772, "DISPLAY_MASK2", sensor_mask | (256 if model.level_channels else 0))
    out.p(773, "DISPLAY_SELECTION", 0)

    # Simulation function.
    for number, name, value in [(490, "SIM_VALUE_A", 50), (491, "SIM_VALUE_B", 20), (492, "SIM_VALUE_C", 300),
                                (493, "SIM_VALUE_D", 50), (496, "SIM_TIME_1", 480), (497, "SIM_TIME_2", 1200),
                                (712, "SIM_SWITCHES", 0), (714, "SIM_VALUE_E", 50)]:
        out.p(number, name, value)
    if version >= 407:
        out.p(495, "SIM_495", 0)
        out.p(713, "SIM_713", 0)

    # Illumination channels: two run points, sunrise and sunset, in dimming mode.
    rows = []
    if version >= 407:
        rows.append((180, "ILLU_OPTIONS", 0))
    rows.append((181, "ILLU_POINTS", 2))
    run = [(480, 60, 100), (1200, 60, 0)]
    for i in range(8):
        start, ramp, level = run[i] if i < len(run) else (0, 5, 0)
        rows += [(182 + 3 * i, "ILLU_P%d_START" % (i + 1), start), (183 + 3 * i, "ILLU_P%d_RAMP" % (i + 1), ramp),
                 (184 + 3 * i, "ILLU_P%d_LEVEL" % (i + 1), level)]
    rows += [(206, "ILLU_PERCENT", 100), (207, "ILLU_MODE", 0)]
    out.block(model.illumination, 32, rows)
    out.block(model.illumination, 2, [(1033, "ILLU_OPERATING_TIME", 0)])

    # Thunderstorm.
    out.p(742, "STORM_COUNT", 0)
    out.p(740, "STORM_VALUE_1", 5)
    out.p(741, "STORM_VALUE_2", 50)
    out.p(751, "STORM_DAYS", 127)
    out.block(4, 2, [(743, "STORM_START", 1200), (744, "STORM_DURATION", 5)])
    if version >= 407:
        out.p(752, "STORM_VALUE_3", 10)
        out.p(753, "STORM_VALUE_4", 30)
        out.p(754, "STORM_VALUE_5", 60)

    # Temperature-dependent light reduction.
    watched = next((i for i in range(4) if model.sensor_types[i] in (TEMPERATURE, AIR_TEMPERATURE)), 0)
    for number, name, value in [(755, "TLR_CHANNELS", 0), (756, "TLR_VALUE_A", 20), (757, "TLR_VALUE_B", 50),
                                (758, "TLR_INPUT", watched), (759, "TLR_VALUE_C", 20)]:
        out.p(number, name, value)

    if version >= 402:
        out.p(436, "LAMP_ON", 0)
        out.p(437, "LAMP_B", 1)
        out.p(438, "LAMP_A", 0)
    if version >= 405:
        for r in range(4):
            out.p(715 + 2 * r, "VARILLU_ROW%d_LOW" % (r + 1), 0)
            out.p(716 + 2 * r, "VARILLU_ROW%d_HIGH" % (r + 1), 0)
    if version >= 406:
        out.p(735, "ILLU_735", 0)

    # Timers: weekday mode, on/off periods, no points.
    rows = [(500, "TIMER_FLAGS", 1), (501, "TIMER_POINTS", 0), (502, "TIMER_CYCLE_REF", 0),
            (503, "TIMER_DAYS", 127)]
    for i in range(8):
        rows += [(504 + 2 * i, "TIMER_P%d_START" % (i + 1), 0), (505 + 2 * i, "TIMER_P%d_VALUE" % (i + 1), 0)]
    out.block(model.timers, 20, rows)

    # Reminders: off, interval a week, text of blanks.
    rows = [(440, "MEMO_DUE", 65535), (441, "MEMO_OPTION", 0), (442, "MEMO_INTERVAL", 7)]
    rows += [(443 + w, "MEMO_TEXT%d" % (w + 1), 0x2020) for w in range(8)]
    out.block(4, 12, rows)

    # Current pumps.
    for number, name, value in [(710, "PUMP_NUMBER", 5), (711, "PUMP_FLAG", 0), (860, "PUMP_NIGHT", 0),
                                (861, "PUMP_NIGHT_START", 1320), (862, "PUMP_NIGHT_END", 480)]:
        out.p(number, name, value)
    out.block(4, 7, [(885, "PUMP_LEVEL1", 30), (886, "PUMP_LEVEL2", 60), (887, "PUMP_LEVEL3", 80),
                     (888, "PUMP_LEVEL4", 100), (889, "PUMP_MODE", 0)])
    for group, base, g in [(1, 865, 2), (2, 875, 2)]:
        out.p(base, "PUMPGROUP%d_COUNT" % group, g)
        out.p(base + 1, "PUMPGROUP%d_MODE" % group, 0)
        out.p(base + 2, "PUMPGROUP%d_TIME_A" % group, 60)
        out.p(base + 3, "PUMPGROUP%d_TIME_B" % group, 120)
        out.p(base + 5, "PUMPGROUP%d_UNIT" % group, 0)
        out.p(base + 4, "PUMPGROUP%d_INTERVAL" % group, 10)
        if version >= 407:
            out.p(base + 7, "PUMPGROUP%d_INTERVAL_HIGH" % group, 20)
        out.p(base + 6, "PUMPGROUP%d_PERCENT" % group, 50)

    out.block(model.dosing_pumps, 3, [(828, "DOSING_A", 10), (829, "DOSING_B", 100), (830, "DOSING_C", 0)])

    # Maintenance.
    for number, name in [(800, "MAINT_OUTPUTS1"), (801, "MAINT_OUTPUTS2"), (802, "MAINT_STATES1"),
                         (803, "MAINT_STATES2")]:
        out.p(number, name, 0)
    out.block(model.interfaces, 1, [(804, "MAINT_LEVEL", 0)])
    out.p(814, "MAINT_INTERFACES", 0)
    out.p(815, "MAINT_VALUE", 0)
    if version >= 406:
        out.p(790, "MAINT_790", 0)
        out.p(791, "MAINT_791", 0)

    sensors(out, model)

    # Level control: the newer layout from 4.08 on.
    if model.level_channels:
        if version >= 408:
            out.block(model.level_channels, 3, [(760, "LEVEL_FLAGS", 0x10), (761, "LEVEL_DELAY", 10),
                                                (762, "LEVEL_TIME", 600)])
        else:
            out.p(760, "LEVEL_MODES", 0)
            out.p(761, "LEVEL_DELAY1", 10)
            out.p(762, "LEVEL_DELAY2", 10)
            out.p(763, "LEVEL_TIME1", 600)
            out.p(764, "LEVEL_TIME2", 600)
            out.p(765, "LEVEL_FLAG", 0)
            out.p(766, "LEVEL_NUMBER", 1)
            out.p(767, "LEVEL_767", 0)
            if model.level_channels >= 3:
                out.p(768, "LEVEL_DELAY3", 10)
                out.p(769, "LEVEL_TIME3", 600)

    # Recorder settings (not its contents).
    out.p(780, "REC_INTERVAL", 15)
    out.p(781, "REC_MASK", sensor_mask)
    out.p(782, "REC_SETTING", 60)

    # Switch plugs.
    for s in range(model.switch_plugs):
        out.p(684 + s if s < 16 else 820 + s - 16, "SPF_S%d" % (s + 1), socket_word(model, s))
    out.p(819, "SPF_OPTION", 0)

    # 1-10 V interfaces: channel k follows illumination channel k.
    for k in range(model.interfaces):
        base = 660 + 3 * k if k < 8 else 854 + 3 * (k - 8)
        out.p(base, "ONETOTEN%d_LOWER" % (k + 1), 1000)
        out.p(base + 1, "ONETOTEN%d_UPPER" % (k + 1), 10000)
        out.p(base + 2, "ONETOTEN%d_SOURCE" % (k + 1), (k << 5) if k < 8 else 31)

    if version >= 408:
        out.block(4, 1, [(723, "DIGIN_FUNCTION", 0)])

    # Logic page: timer 1 AND illumination channel 1 (the emulator varies the copies).
    out.block(8, 3, [(912, "LOGIC_INPUTS", 0x0001), (913, "LOGIC_FUNCTION", 0), (914, "LOGIC_TIME", 60)])

    # Last, so that everything else still goes to the address the transfer started with.
    out.p(5, "CODE_BUSADDRESS", 1)
    return out


def sms_list(version):
    out = Out()
    out.p(0, "CODE_SOFTWAREVERSION", version)
    out.p(2, "CODE_PRODUCTID", SMS_PRODUCT_CODE)
    out.p(6, "CODE_SERIALNUMBER", 0)
    out.p(8, "SMS_PIN", 10000)
    out.p(89, "SMS_NUMBER", 100)
    out.p(90, "SMS_PHONE", b"")
    out.block(30, 30, [(100, "SMS_RECIPIENT", b""), (110, "SMS_TEXT", b""), (120, "SMS_EVENT", 0),
                       (121, "SMS_TIME", 0), (122, "SMS_VALUE1", 1), (123, "SMS_FLAG", 0), (124, "SMS_VALUE2", 5),
                       (128, "SMS_CODE", b"")])
    # The module is switched active again only after its entries are written.
    out.p(86, "SMS_ACTIVE", 1)
    return out


def all_files():
    files = {}
    for model in read_models():
        for version in CONTROLLER_VERSIONS:
            files["ParaList_V%d%s.def" % (version, model.suffix)] = controller_list(model, version).text()
    for version in SMS_VERSIONS:
        files["ParaList_V%d%s.def" % (version, SMS_SUFFIX)] = sms_list(version).text()
    return files


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--out", default=HERE, help="folder to write into (default: next to this script)")
    parser.add_argument("--check", action="store_true", help="only compare with the files in --out")
    args = parser.parse_args()

    files = all_files()
    stale = []
    for name, content in sorted(files.items()):
        path = os.path.join(args.out, name)
        current = open(path, "rb").read() if os.path.exists(path) else None
        if current == content:
            continue
        stale.append(name)
        if not args.check:
            tmp = path + ".tmp"
            with open(tmp, "wb") as f:
                f.write(content)
            os.replace(tmp, path)
    extra = sorted(f for f in os.listdir(args.out) if f.startswith("ParaList_V") and f.endswith(".def")
                   and f not in files)
    if args.check:
        for name in stale:
            print("out of date: %s" % name)
        for name in extra:
            print("not generated: %s" % name)
        return 1 if stale or extra else 0
    for name in extra:
        os.remove(os.path.join(args.out, name))
    print("%d files, %d rewritten" % (len(files), len(stale)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
