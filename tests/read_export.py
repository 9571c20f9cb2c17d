#!/usr/bin/env python3
# Reads an export of the presence log back with real parsers (Python's csv and json, Debian's
# python3-icalendar for ICS) and prints one line per period for the test to compare:
# read_export.py csv|json|ics FILE
import csv
import datetime
import json
import re
import sys

fmt, path = sys.argv[1:3]


def utc(moment):
    return moment.astimezone(datetime.timezone.utc).strftime('%Y-%m-%dT%H:%M:%SZ')


if fmt == 'ics':
    import icalendar  # fails loudly when missing: tools/install-deps.sh installs it
    with open(path, 'rb') as file:
        data = file.read()
    # Lines end with CR LF and are folded at 75 octets (RFC 5545, 3.1).
    assert data.endswith(b'\r\n') and b'\n' not in data.replace(b'\r\n', b''), 'line ends'
    assert max(len(line) for line in data.split(b'\r\n')) <= 75, 'a line is not folded'
    # Text values escape their commas and semicolons (3.3.11).
    for line in data.replace(b'\r\n ', b'').split(b'\r\n'):
        if line.startswith((b'SUMMARY:', b'DESCRIPTION:')):
            value = re.sub(rb'\\.', b'', line.split(b':', 1)[1])
            assert b',' not in value and b';' not in value, line
    calendar = icalendar.Calendar.from_ical(data)
    events = calendar.walk('VEVENT')
    assert len({str(event['UID']) for event in events}) == len(events), 'UIDs not unique'
    for event in events:
        end = event.get('DTEND')
        print('|'.join([str(event['SUMMARY']), utc(event['DTSTART'].dt),
                        utc(end.dt) if end else '', str(event['DESCRIPTION'])]))
    sys.exit(0)

with open(path, newline='', encoding='utf-8') as file:
    rows = list(csv.DictReader(file)) if fmt == 'csv' else json.load(file)['periods']
for row in rows:
    text = {key: ('' if value is None else str(value).lower() if isinstance(value, bool)
                  else value) for key, value in row.items()}
    for bound in ('at_least_from', 'at_least_until', 'at_most_from', 'at_most_until'):
        moment, local = text[bound + '_utc'], text[bound + '_local']
        assert bool(moment) == bool(local), bound
        # The local time names the same moment as the UTC one.
        assert not local or utc(datetime.datetime.fromisoformat(local)) == moment, (moment, local)
    print('|'.join(text[key] for key in (
        'user_name', 'display_name', 'at_least_from_utc', 'at_least_until_utc',
        'at_most_from_utc', 'at_most_until_utc', 'start_seen', 'end_seen', 'imported',
        'start_unseen_because', 'end_unseen_because')))
